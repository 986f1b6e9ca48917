#include "app/main_window.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "editor/mask_tool.h"
#include "editor/undo_history.h"
#include "i18n/load_language.h"
#include "platform/gadgets.h"

namespace morvel {
namespace {

using testing::AppFixture;
using Placement = testing::RecordingShell::Placement;

const GadgetPlan* findGadget(const MainWindowPlan& plan, Gadget number) {
    for (const GadgetPlan& g : plan.gadgets)
        if (g.number == +number) return &g;
    return nullptr;
}

// Every menu item with its label, depth first.
void collectItems(const std::vector<MenuEntry>& entries, std::map<int, MenuEntry>& items) {
    for (const MenuEntry& e : entries) {
        if (e.item != 0) items[e.item] = e;
        collectItems(e.entries, items);
    }
}

TEST(MainWindowPlan, HoldsEveryGadgetWithItsPlaceRangeAndTexts) {
    AppFixture app;
    const MainWindowPlan plan = MainWindowPlanFor(app.state);
    EXPECT_EQ(plan.title, "*Neu* - Morvel");
    EXPECT_EQ(plan.clientWidth, 680);
    EXPECT_EQ(plan.clientHeight, 620);
    // The tool buttons come from the registry, 30 pixels apart, after the scroll bars.
    std::vector<int> order{1, 3, 4};
    int y = 30;
    for (const RegisteredTool& tool : RegisteredTools()) {
        order.push_back(tool.button);
        const GadgetPlan* button = findGadget(plan, static_cast<Gadget>(tool.button));
        ASSERT_NE(button, nullptr) << tool.button;
        EXPECT_EQ(Placement({button->x, button->y, button->width, button->height}),
                  Placement({5, y, 27, 27}));
        EXPECT_EQ(button->tooltip, tool.row.tooltip.germanDefault);
        y += 30;
    }
    order.insert(order.end(), {15, 14, 17, 16, 46, 18, 19, 20, 21, 8, 2, 6, 7, 5});
    std::vector<int> numbers;
    for (const GadgetPlan& g : plan.gadgets) numbers.push_back(g.number);
    EXPECT_EQ(numbers, order);

    const struct {
        Gadget number;
        int x, y, w, h;
        std::string tooltipOrLabel;
    } places[] = {
        {Gadget::Canvas, 35, 30, 640, 480, ""},
        {Gadget::HorizontalScrollBar, 35, 510, 640, 15, ""},
        {Gadget::VerticalScrollBar, 675, 30, 15, 480, ""},
        {Gadget::ZoomTool, 5, 30, 27, 27, "Zoomen"},
        {Gadget::Eraser, 5, 60, 27, 27, "Radiergummi"},
        {Gadget::AntiEraser, 5, 90, 27, 27, "Anti-Radiergummi"},
        {Gadget::SelectionTool, 5, 120, 27, 27, "Auswahl"},
        {Gadget::MaskMover, 5, 150, 27, 27, "Maske bewegen"},
        {Gadget::BrushShape, 35, 5, 20, 20, ""},
        {Gadget::BrushSize, 55, 5, 35, 20, "Pinselgröße"},
        {Gadget::TransparencyIcon, 100, 5, 20, 20, ""},
        {Gadget::Transparency, 120, 5, 35, 20, "Transparenz"},
        {Gadget::Hardness, 160, 5, 100, 20,
         "Härte der Pinselkante: 100 hart, kleiner weicherHärte"},
        {Gadget::ZoomIn, 35, 4, 22, 22, "Vergrößern"},
        {Gadget::ZoomOut, 60, 4, 22, 22, "Verkleinern"},
        {Gadget::ZoomFit, 85, 5, 90, 20, "Ganzes Bild"},
        {Gadget::ZoomOneToOne, 175, 5, 30, 20, "1:1"},
        {Gadget::LayerRowsPicture, 5, 492, 27, 97, ""},
        {Gadget::FrameStrip, 35, 490, 660, 120, "Hierhin können Bilddateien gezogen werden"},
        {Gadget::Layer1Row, 0, 0, 65000000, 48, ""},
        {Gadget::Layer2Row, 0, 49, 65000000, 48, ""},
        {Gadget::FrameMarker, -200, 1, 66, 97, ""},
    };
    for (const auto& p : places) {
        const GadgetPlan* g = findGadget(plan, p.number);
        ASSERT_NE(g, nullptr) << +p.number;
        EXPECT_EQ(Placement({g->x, g->y, g->width, g->height}), Placement({p.x, p.y, p.w, p.h}))
            << +p.number;
        EXPECT_EQ(g->tooltip + g->label, p.tooltipOrLabel) << +p.number;
    }
    const GadgetPlan* size = findGadget(plan, Gadget::BrushSize);
    EXPECT_EQ(std::tie(size->minimum, size->maximum, size->state), std::tuple(1, 150, 10));
    const GadgetPlan* transparency = findGadget(plan, Gadget::Transparency);
    EXPECT_EQ(std::tie(transparency->minimum, transparency->maximum, transparency->state),
              std::tuple(0, 100, 100));
    const GadgetPlan* hardness = findGadget(plan, Gadget::Hardness);
    EXPECT_EQ(std::tie(hardness->minimum, hardness->maximum, hardness->state),
              std::tuple(0, 100, 100));
    EXPECT_EQ(findGadget(plan, Gadget::Layer1Row)->colour, 0xF396A2u);
    EXPECT_EQ(findGadget(plan, Gadget::Layer2Row)->colour, 0x94D7FEu);
    EXPECT_FALSE(findGadget(plan, Gadget::FrameMarker)->enabled);
    EXPECT_EQ(findGadget(plan, Gadget::BrushShape)->picture, Picture::RoundBrush);
}

TEST(MainWindowPlan, MenusShortcutsAndTheLanguageSubmenu) {
    AppFixture app;
    app.program.write("english.language", "[MainMenu]\nnew = New\tCtrl+N\n");
    app.program.write("Deutsch.LANGUAGE", "");
    LoadLanguage(app.state.services.language, app.shell, app.program.path(), "english");
    const MainWindowPlan plan = MainWindowPlanFor(app.state);
    ASSERT_EQ(plan.menuBar.size(), 6u);
    EXPECT_EQ(plan.menuBar[0].label, "&Projekt");
    EXPECT_EQ(plan.menuBar[1].label, "&Bearbeiten");
    EXPECT_EQ(plan.menuBar[2].label, "&Ansicht");
    EXPECT_EQ(plan.menuBar[3].label, "&Aufnahme");
    EXPECT_EQ(plan.menuBar[4].label, "&Einstellungen");
    EXPECT_EQ(plan.menuBar[5].label, "&Hilfe");
    std::map<int, MenuEntry> items;
    collectItems(plan.menuBar, items);
    collectItems(plan.popupMenu, items);
    const std::map<int, std::string> labels{{1, "New\tCtrl+N"},
                                            {2, "Öffnen ...\tStrg+O"},
                                            {3, "Speichern\tStrg+S"},
                                            {4, "Speichern als ..."},
                                            {5, "Als Bilder ..."},
                                            {6, "Als AVI-Video ..."},
                                            {7, "Beenden\tAlt+F4"},
                                            {8, "MVL-Dateien mit Morvel öffnen"},
                                            {10, "Über ..."},
                                            {11, "Löschen\tStrg+Entf"},
                                            {12, "Wiederholen\tStrg+R"},
                                            {13, "Rückgängig\tStrg+Z"},
                                            {14, "Wiederherstellen\tStrg+Y"},
                                            {19, "Abspielen\tLeertaste"},
                                            {20, "Bildrate ..."},
                                            {21, "Zwiebelhaut\tO"},
                                            {22, "Ebene 1\t1"},
                                            {23, "Ebene 2\t2"},
                                            {24, "Ergebnis\t3"},
                                            {25, "Maske zeigen\tM"},
                                            {26, "Bild löschen\tUmschalt+Entf"},
                                            {27, "Bild verdoppeln\tStrg+D"},
                                            {28, "Leeres Bild einfügen\tStrg+I"},
                                            {29, "Maske übernehmen\tStrg+M"},
                                            {30, "Masken weiterführen ..."},
                                            {31, "Ton laden ..."},
                                            {32, "Ton entfernen"},
                                            {33, "Tonversatz ..."},
                                            {34, "Ton aus\tS"},
                                            {35, "Kamera wählen ..."},
                                            {36, "Live-Bild\tL"},
                                            {37, "Ebene 1 aufnehmen\tEingabe"},
                                            {38, "Ebene 2 aufnehmen\tUmschalt+Eingabe"},
                                            {39, "Letzte Bilder abspielen\tK"},
                                            {40, "Aufnahme-Einstellungen ..."},
                                            {41, "Unterschied zum Live-Bild\tD"}};
    for (const auto& [item, label] : labels) EXPECT_EQ(items[item].label, label) << item;
    // Nothing to undo or redo in a new window, and without frames nothing to save or export
    // (the popup's frame items show only over a frame).
    for (const auto& [item, label] : labels)
        EXPECT_EQ(items[item].enabled, item != 13 && item != 14 && (item < 3 || item > 6)) << item;
    // The composite shows, without the mask or the onion skin; every view item can carry a
    // check mark.
    for (int item = 21; item <= 25; ++item) {
        EXPECT_TRUE(items[item].checkable) << item;
        EXPECT_EQ(items[item].checked, item == 24) << item;
    }
    EXPECT_TRUE(items[34].checkable);  // the sound plays unless muted
    EXPECT_FALSE(items[34].checked);
    // The tutorial opens the page shipped beside the program, so its label names no web site;
    // a language that gives a real address keeps the host in the label.
    EXPECT_EQ(items[9].label, "Tutorial");
    app.state.services.language.texts.set(Text::ElseTutoriallink, "https://film.example/tutorial");
    std::map<int, MenuEntry> linked;
    collectItems(MainWindowPlanFor(app.state).menuBar, linked);
    EXPECT_EQ(linked[9].label, "Tutorial (morvel.example.org)");
    // One language item per file, in the listing's order, the one in use checked.
    const auto& available = app.state.services.language.available;
    ASSERT_EQ(available.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const MenuEntry& language = items[1001 + i];
        EXPECT_EQ(language.label, available[i]);
        EXPECT_EQ(language.checked, available[i] == "english");
    }
    EXPECT_EQ(items.count(1003), 0u);
    // The tools' keys come from the registry, after the others.
    std::vector<std::pair<std::string, int>> shortcuts;
    std::vector<std::pair<std::string, int>> toolKeys;
    for (const ShortcutPlan& s : plan.shortcuts)
        (s.item < +MenuItem::FirstToolKey ? shortcuts : toolKeys).emplace_back(s.keys, s.item);
    std::vector<std::pair<std::string, int>> registered;
    for (std::size_t i = 0; i < RegisteredTools().size(); ++i) {
        const ToolRow& row = RegisteredTools()[i].row;
        if (!row.shortcut.empty()) registered.emplace_back(row.shortcut, 501 + static_cast<int>(i));
    }
    EXPECT_EQ(toolKeys, registered);
    EXPECT_EQ(shortcuts, (std::vector<std::pair<std::string, int>>{{"Ctrl+N", 1},
                                                                   {"Ctrl+O", 2},
                                                                   {"Ctrl+S", 3},
                                                                   {"Ctrl+Delete", 11},
                                                                   {"Ctrl+R", 12},
                                                                   {"Ctrl+Z", 13},
                                                                   {"Ctrl+Shift+Z", 14},
                                                                   {"Ctrl+Y", 14},
                                                                   {"Left", 15},
                                                                   {"Right", 16},
                                                                   {"Home", 17},
                                                                   {"End", 18},
                                                                   {"Space", 19},
                                                                   {"1", 22},
                                                                   {"2", 23},
                                                                   {"3", 24},
                                                                   {"M", 25},
                                                                   {"O", 21},
                                                                   {"Shift+Delete", 26},
                                                                   {"Ctrl+D", 27},
                                                                   {"Ctrl+I", 28},
                                                                   {"Ctrl+M", 29},
                                                                   {"L", 36},
                                                                   {"Return", 42},
                                                                   {"Shift+Return", 43},
                                                                   {"K", 39},
                                                                   {"D", 41},
                                                                   {"S", 34}}));
}

TEST(LayoutMainWindow, KeepsTheMinimumSizeAndPlacesTheGadgetsAroundTheCanvas) {
    const struct {
        ClientSize client;
        std::vector<ClientSize> resizes;
        int w, h;
    } cases[] = {
        {{200, 100}, {{300, 100}, {300, 350}}, 300, 350},
        {{299, 500}, {{300, 500}}, 300, 500},
        {{300, 350}, {}, 300, 350},
        {{1000, 800}, {}, 1000, 800},
    };
    for (const auto& c : cases) {
        AppFixture app(c.client);
        ASSERT_TRUE(BuildMainWindow(app.state));
        std::vector<std::pair<int, int>> resizes, expected;
        for (const ClientSize& s : app.shell.clientResizes) resizes.emplace_back(s.width, s.height);
        for (const ClientSize& s : c.resizes) expected.emplace_back(s.width, s.height);
        EXPECT_EQ(resizes, expected);
        const int cw = c.w - 55, ch = c.h - 180;
        EXPECT_EQ(app.state.view.canvas.width(), cw);
        EXPECT_EQ(app.state.view.canvas.height(), ch);
        auto& at = app.shell.placements;
        EXPECT_EQ(at[+Gadget::VerticalScrollBar], Placement({cw + 35, 30, 15, ch}));
        EXPECT_EQ(at[+Gadget::HorizontalScrollBar], Placement({35, ch + 30, cw, 15}));
        EXPECT_EQ(at[+Gadget::LayerRowsPicture], Placement({5, c.h - 123, 27, 97}));
        EXPECT_EQ(at[+Gadget::FrameStrip], Placement({35, c.h - 125, c.w - 40, 120}));
    }
    AppFixture minimum({300, 350});
    ASSERT_TRUE(BuildMainWindow(minimum.state));
    EXPECT_EQ(minimum.state.view.canvas.width(), 245);
    EXPECT_EQ(minimum.state.view.canvas.height(), 170);
}

TEST(LayoutMainWindow, ACanvasBufferThatCannotBeMadeEndsTheProgram) {
    AppFixture app({70000, 600});
    EXPECT_FALSE(BuildMainWindow(app.state));
    EXPECT_TRUE(app.state.services.mustEnd);
    ASSERT_EQ(app.shell.errors.size(), 1u);
    EXPECT_NE(app.shell.errors[0].text.find("ErrorCode = 110-4-200-69945-420"), std::string::npos);
    EXPECT_EQ(app.shell.errors[0].caption, "Fehler !");
}

TEST(BuildMainWindow, AWindowThatCannotBeOpenedIsReported) {
    AppFixture app;
    app.shell.failWindowBuild = true;
    EXPECT_FALSE(BuildMainWindow(app.state));
    EXPECT_TRUE(app.state.services.mustEnd);
    ASSERT_EQ(app.shell.errors.size(), 1u);
    EXPECT_NE(app.shell.errors[0].text.find("ErrorCode = 410-13-0"), std::string::npos);
}

TEST(LanguageSwitch, ChangesTheTextsInPlaceKeepingTheProjectAndTheTools) {
    AppFixture app;
    app.program.write("English.language",
                      "[MainMenu]\nproject = &Project\n[Tools]\neraser = Eraser\n"
                      "[Settings]\nzoomfit = Fit\n[Else]\nnewtitle = *New*\n"
                      "[Language]\nlocale = en\n");
    LoadLanguage(app.state.services.language, app.shell, app.program.path(), "");
    Program& state = app.state;
    ASSERT_TRUE(BuildMainWindow(state));
    ASSERT_EQ(state.services.language.available, std::vector<std::string>{"English"});
    app.addFrame();
    MarkProjectChanged(state.session);  // not saved: still nothing is asked
    Dispatch(state, testing::GadgetEvent(+Gadget::SelectionTool));
    Dispatch(state, testing::GadgetEvent(+Gadget::BrushShape));
    state.view.toolSettings.brushSize = 99;
    state.view.toolSettings.eraseGrey = 200;
    state.view.zoom = 3.0f;

    EXPECT_EQ(Dispatch(state, testing::MenuEvent(1001)), LoopStep::Continue);
    EXPECT_EQ(app.shell.windowsBuilt.size(), 1u);  // the same window
    EXPECT_TRUE(app.shell.questions.empty());
    EXPECT_EQ(state.document.frames.size(), 1);
    EXPECT_TRUE(ProjectChanged(state.session));
    EXPECT_EQ(state.services.language.current, "English");
    ASSERT_EQ(app.shell.windowsRetexted.size(), 1u);
    const MainWindowPlan& plan = app.shell.windowsRetexted.back();
    EXPECT_EQ(plan.title, "*New* - Morvel");
    EXPECT_EQ(app.shell.windowsBuilt.front().locale, "de");  // Qt's texts follow the language
    EXPECT_EQ(plan.locale, "en");
    EXPECT_EQ(plan.menuBar[0].label, "&Project");
    EXPECT_EQ(findGadget(plan, Gadget::Eraser)->tooltip, "Eraser");
    EXPECT_EQ(findGadget(plan, Gadget::ZoomFit)->label, "Fit");
    EXPECT_TRUE(plan.menuBar[4].entries[0].entries[0].checked);
    EXPECT_NE(app.shell.windowTitles.back().find("*New*"), std::string::npos);
    // The tools and the view stay as the user left them.
    EXPECT_EQ(state.view.tool, "selection");
    EXPECT_EQ(state.view.toolSettings.brushSize, 99);
    EXPECT_EQ(state.view.toolSettings.brushShape, kSquareBrushImage);
    EXPECT_EQ(state.view.toolSettings.eraseGrey, 200);
    EXPECT_FLOAT_EQ(state.view.zoom, 3.0f);

    // Choosing the language in use again gives the same texts again, and keeps the rest.
    Dispatch(state, testing::MenuEvent(1001));
    EXPECT_EQ(app.shell.windowsRetexted.size(), 2u);
    EXPECT_EQ(app.shell.windowsBuilt.size(), 1u);
    EXPECT_EQ(state.document.frames.size(), 1);
}

}  // namespace
}  // namespace morvel
