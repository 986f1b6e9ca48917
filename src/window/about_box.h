#pragma once

#include <QDialog>
#include <QImage>
#include <map>
#include <string>

namespace morvel {

// The about box's gadgets by their fixed numbers.
enum class AboutGadget : int { Logo = 42, Ok = 43, TextArea = 44, Text = 45 };

constexpr int operator+(AboutGadget g) {
    return static_cast<int>(g);
}

// The about box (window 3): the logo, the about text in a scroll area, the OK button; the button
// and the close box both close it. The logo is decoded when the box is made and freed with it.
class AboutBox : public QDialog {
public:
    AboutBox(const std::string& title, const std::string& okLabel, const std::string& text,
             QWidget* owner);

    QWidget* gadget(int number) const;
    const QImage& logo() const { return m_logo; }

private:
    void add(AboutGadget number, QWidget* widget);

    std::map<int, QWidget*> m_gadgets;
    QImage m_logo;
};

// Shows the about box modally over owner, centred on it, until it is closed; then the owner is
// the active window again.
void ShowAboutBox(const std::string& title, const std::string& okLabel, const std::string& text,
                  QWidget* owner);

}  // namespace morvel
