#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (const QString missing = ui::MissingDisplayMessage(); !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", missing.toUtf8().constData());
        return 1;
    }
    ui::TApplication app(argc, argv);
    TForm1 form;
    form.SetPanelFactory(&panels::CreatePanel);
    form.show();
    return ui::TApplication::exec();
}
