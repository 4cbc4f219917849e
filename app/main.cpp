#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

int main(int argc, char** argv)
{
    ui::TApplication app(argc, argv);
    TForm1 form;
    form.SetPanelFactory(&panels::CreatePanel);
    form.show();
    return ui::TApplication::exec();
}
