#pragma once
// TfAbout: the about window. The version, the home page and the components' pages as link
// labels (blue and underlined under the mouse, opened by a click; an empty address is no
// link), and a note. A click on the free surface closes it.

#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "app/about_addresses.h"
#include "platform/url_opener.h"

class QLabel;
namespace Ui {
class TfAbout;
}

class TfAbout : public QDialog {
  public:
    TfAbout(platform::UrlOpener& opener, const AboutAddresses& addresses, QWidget* parent);
    ~TfAbout() override;

    Ui::TfAbout& ui() { return *ui_; }
    // Home page, chart, serial port, tray icon.
    const std::array<QLabel*, 4>& Links() const { return links_; }
    // The address a link label opens (its text may be shortened to fit).
    static std::string Address(const QLabel& link);

    void Label2MouseMove(QLabel& link);
    void FormMouseMove();
    void Label4Click(QLabel& link);
    void FormClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void SetAddress(QLabel& link, const std::string& address);
    static void Paint(QLabel& link, bool pointed);

    std::unique_ptr<Ui::TfAbout> ui_;
    platform::UrlOpener& opener_;
    std::array<QLabel*, 4> links_{};
};
