// The menu bar: File, Edit, Special and Help, with the component names of every item.

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/MainWindow.h"

namespace tessoly {

namespace {

QAction* Item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

template <typename Parent> QMenu* Menu(Parent* parent, const char* name, const QString& title) {
    QMenu* menu = parent->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name) + QStringLiteral("Action"));
    return menu;
}

} // namespace

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    FileMenu = Menu(bar, "FileMenu", QStringLiteral("File"));
    Addimage1 =
        Item(FileMenu, "Addimage1", QStringLiteral("Add image"), QKeySequence(QStringLiteral("Ctrl+A")));
    Addfolder1 =
        Item(FileMenu, "Addfolder1", QStringLiteral("Add folder"), QKeySequence(QStringLiteral("Ctrl+F")));
    FileMenu->addSeparator();
    OpenPreset1 = Item(FileMenu, "OpenPreset1", QStringLiteral("Open preset\u2026"));
    SavePresetAs1 = Item(FileMenu, "SavePresetAs1", QStringLiteral("Save preset as\u2026"));
    for (std::size_t i = 0; i < RecentPresetItems.size(); ++i) {
        const QByteArray name = "RecentPreset" + QByteArray::number(static_cast<int>(i) + 1);
        RecentPresetItems[i] = Item(FileMenu, name.constData(), QString());
        RecentPresetItems[i]->setVisible(false);
    }
    FileMenu->addSeparator();
    Startconversion1 = Item(FileMenu, "Startconversion1", QStringLiteral("Start conversion"));
    FileMenu->addSeparator();
    Exit1 = Item(FileMenu, "Exit1", QStringLiteral("Exit"), QKeySequence(QStringLiteral("Ctrl+W")));

    EditMenu = Menu(bar, "EditMenu", QStringLiteral("Edit"));
    Selectallimages1 = Item(EditMenu, "Selectallimages1", QStringLiteral("Select all"));
    Deselectall1 = Item(EditMenu, "Deselectall1", QStringLiteral("Deselect all"));
    InverseSelection1 = Item(EditMenu, "InverseSelection1", QStringLiteral("Inverse selection"));
    Selectforstatus1 = Menu(EditMenu, "Selectforstatus1", QStringLiteral("Select for status"));
    Successful1 = Item(Selectforstatus1, "Successful1", QStringLiteral("Successful"));
    Unsuccessful1 = Item(Selectforstatus1, "Unsuccessful1", QStringLiteral("Unsuccessful"));
    Skipped1 = Item(Selectforstatus1, "Skipped1", QStringLiteral("Skipped"));
    Waiting1 = Item(Selectforstatus1, "Waiting1", QStringLiteral("Waiting"));
    EditMenu->addSeparator();
    Removeduplications1 = Item(EditMenu, "Removeduplications1", QStringLiteral("Remove duplications"));
    Removeselected1 = Item(EditMenu, "Removeselected1", QStringLiteral("Remove selected"));
    EditMenu->addSeparator();
    MenuItemShowgrid = Item(EditMenu, "MenuItemShowgrid", QStringLiteral("Show list grid"));
    MenuItemShowgrid->setCheckable(true);
    MenuItemShowgrid->setChecked(true);
    Guidelines = Menu(EditMenu, "Guidelines", QStringLiteral("Guide lines"));
    Showguidelines = Item(Guidelines, "Showguidelines", QStringLiteral("Show guide lines"),
                          QKeySequence(QStringLiteral("Ctrl+G")));
    Showguidelines->setCheckable(true);
    Showguidelines->setChecked(false);
    Guidelinescolor1 = Item(Guidelines, "Guidelinescolor1", QStringLiteral("Guide lines color"));

    SpecialCharMenu = Menu(bar, "SpecialCharMenu", QStringLiteral("Special"));
    Copyright1 = Item(SpecialCharMenu, "Copyright1", QStringLiteral("Add Copyright sign"));
    Trademark1 = Item(SpecialCharMenu, "Trademark1", QStringLiteral("Add Trademark sign"));
    Registered1 = Item(SpecialCharMenu, "Registered1", QStringLiteral("Add Registered sign"));

    HelpMenu = Menu(bar, "HelpMenu", QStringLiteral("Help"));
    Website = Item(HelpMenu, "Website", QStringLiteral("Website"));
    VideoTutorial1 = Item(HelpMenu, "VideoTutorial1", QStringLiteral("Video tutorial"));
    VideoTutorial1->setVisible(false);
    Feedback1 = Item(HelpMenu, "Feedback1", QStringLiteral("Feedback"));
    HelpMenu->addSeparator();
    Donate1 = Item(HelpMenu, "Donate1", QStringLiteral("Donate"), QKeySequence(QStringLiteral("Ctrl+D")));
    HelpMenu->addSeparator();
    About1 = Item(HelpMenu, "About1", QStringLiteral("About"), QKeySequence(QStringLiteral("Ctrl+B")));
}

} // namespace tessoly
