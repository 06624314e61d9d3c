#include "app/qt/about_form.h"

#include <QMouseEvent>
#include <algorithm>

#include "ui_about_form.h"

namespace {

const char* const kAddressProperty = "address";
// Longer addresses are shortened in the middle, so the window stays small.
constexpr int kLinkWidth = 240;

}  // namespace

TfAbout::TfAbout(platform::UrlOpener& opener, const AboutAddresses& addresses, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfAbout>()), opener_(opener) {
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The note lies on the dialog's own background, shown whole.
    QPalette note = ui_->Edit1->palette();
    note.setColor(QPalette::Base, palette().color(QPalette::Window));
    ui_->Edit1->setPalette(note);
    ui_->Edit1->setMinimumWidth(ui_->Edit1->fontMetrics().horizontalAdvance(ui_->Edit1->text()) +
                                8);
    ui_->Edit1->setCursorPosition(0);

    links_ = {ui_->Label2, ui_->Label3, ui_->Label4, ui_->Label5};
    const std::array<std::string, 4> texts = {addresses.home, addresses.chart, addresses.serial,
                                              addresses.tray};
    for (std::size_t i = 0; i < links_.size(); ++i) {
        SetAddress(*links_[i], texts[i]);
        Paint(*links_[i], false);
        links_[i]->installEventFilter(this);
    }
    // Fixed: the designed size, or what the texts need in the desktop's font.
    setFixedSize(sizeHint().expandedTo(QSize(298, 153)));
}

TfAbout::~TfAbout() = default;

std::string TfAbout::Address(const QLabel& link) {
    return link.property(kAddressProperty).toString().toStdString();
}

void TfAbout::SetAddress(QLabel& link, const std::string& address) {
    const QString full = QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()));
    link.setProperty(kAddressProperty, full);
    if (full.isEmpty()) {
        // No document there: a dash, and nothing that looks like a link.
        link.setText(QStringLiteral("—"));
        link.setToolTip({});
        link.setCursor(Qt::ArrowCursor);
        return;
    }
    link.setToolTip(full);
    // A long address keeps its start and its end.
    link.setText(link.fontMetrics().elidedText(full, Qt::ElideMiddle, kLinkWidth));
}

void TfAbout::Paint(QLabel& link, bool pointed) {
    QPalette p = link.palette();
    p.setColor(QPalette::WindowText, pointed ? QColor(0, 0, 255) : QColor(Qt::black));
    link.setPalette(p);
    QFont font = link.font();
    font.setUnderline(pointed);
    link.setFont(font);
}

void TfAbout::Label2MouseMove(QLabel& link) {
    if (!Address(link).empty()) Paint(link, true);
}

void TfAbout::FormMouseMove() {
    for (QLabel* link : links_) Paint(*link, false);
}

void TfAbout::Label4Click(QLabel& link) {
    // A link that cannot be opened is not reported.
    const std::string address = Address(link);
    if (!address.empty()) opener_.Open(address);
}

void TfAbout::FormClick() {
    close();
}

bool TfAbout::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (link && std::find(links_.begin(), links_.end(), link) != links_.end()) {
        if (event->type() == QEvent::MouseMove) {
            Label2MouseMove(*link);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                link->rect().contains(mouse->position().toPoint()))
                Label4Click(*link);
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Moves and clicks over the captions reach the dialog too; only its free surface counts.
void TfAbout::mouseMoveEvent(QMouseEvent* event) {
    if (!childAt(event->position().toPoint())) FormMouseMove();
    QDialog::mouseMoveEvent(event);
}

void TfAbout::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) {
        FormClick();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
