#pragma once

#include <QMainWindow>
#include <QMenu>
#include <functional>
#include <map>

#include "app/event.h"
#include "platform/main_window_plan.h"

class QLabel;

namespace morvel {

class CanvasWidget;
class FrameStrip;

// The main window built from its plan: every gadget by number as a child of the client area
// below the menu bar, the menu bar, the popup menu and the shortcuts. Every input becomes an
// event handed to post(); closing the window is an event too (the program decides).
class MainWindowWidget : public QMainWindow {
public:
    MainWindowWidget(const MainWindowPlan& plan, std::function<void(const Event&)> post);

    // Gives the window the plan's texts: its menus are made anew (with the plan's states), its
    // gadgets take their labels and tooltips; gadgets, places and contents stay.
    void retext(const MainWindowPlan& plan);

    QWidget* clientArea() const { return centralWidget(); }
    QWidget* gadget(int number) const;
    CanvasWidget* canvas() const { return m_canvas; }
    FrameStrip* frameStrip() const { return m_strip; }
    QMenu* popupMenu() const { return m_popup; }
    // The action of a menu-bar item by number, nullptr when there is none.
    QAction* menuItem(int item) const;
    // While the film plays only the menu that holds "Abspielen" can be opened.
    void setPlaying(bool playing);
    // True when the screen position lies on that menu's title in the menu bar.
    bool onPlayingMenu(QPoint global) const;

    // The status line: a notice on the left, the frame counter on the right.
    void showNotice(const QString& text);
    void showFrameCounter(const QString& text);
    int statusLineHeight() const;

    // The gadget property that names a widget's gadget number.
    static constexpr const char* kGadgetProperty = "gadget";

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus(const MainWindowPlan& plan);
    void buildShortcuts(const MainWindowPlan& plan);
    QMenu* playingMenu() const;
    void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries,
                    std::map<int, QAction*>* actions = nullptr);
    void buildGadget(const GadgetPlan& plan);
    void postGadget(int number, GadgetEventType type = GadgetEventType::Change, QPoint at = {});

    std::function<void(const Event&)> m_post;
    std::map<int, QWidget*> m_gadgets;
    std::map<int, QAction*> m_menuItems;  // of the menu bar
    CanvasWidget* m_canvas = nullptr;
    FrameStrip* m_strip = nullptr;
    QMenu* m_popup = nullptr;
    QLabel* m_frameCounter = nullptr;
    QStyle* m_compactSpinStyle;
};

}  // namespace morvel
