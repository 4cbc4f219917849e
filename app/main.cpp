#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv)
{
    if (const QString missing = ui::MissingDisplayMessage(); !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", missing.toUtf8().constData());
        return 1;
    }
    ui::TApplication app(argc, argv);
    // Every window inherits the icon, the panels' child windows included; the
    // desktop file name lets the desktop match the windows to the menu entry.
    QIcon icon;
    for (const QFileInfo& size : QDir(QStringLiteral(":/icons")).entryInfoList())
        icon.addFile(size.filePath());
    ui::TApplication::setWindowIcon(icon);
    ui::TApplication::setDesktopFileName(QStringLiteral("org.zorvex.Zorvex"));
    TForm1 form;
    form.SetPanelFactory(&panels::CreatePanel);
    form.show();
    return ui::TApplication::exec();
}
