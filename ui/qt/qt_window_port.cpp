#include "qt_window_port.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyleOptionFrame>
#include <QTimer>

#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "embedded_pictures.h"
#include "form_layout.h"
#include "outline_painting.h"

namespace stakora::qt {

namespace {

QColor toQColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QRect toPixels(const ControlLayout& c) {
    return QRect(stakora::toPixels(c.left), stakora::toPixels(c.top), stakora::toPixels(c.width),
                 stakora::toPixels(c.height));
}

Qt::Alignment toQt(Align align) {
    switch (align) {
        case Align::Center:
            return Qt::AlignCenter;
        case Align::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window font: "Segoe UI" where the system has it, otherwise a humanist sans of similar
// proportions, so the designed sizes hold the same texts without clipping. Each candidate is
// looked up by its own name, without listing every installed family, and the first one found
// is the single family of every font of the window: a list that started with an absent family
// would have each later lookup ask fontconfig about it again.
QFont windowFont(double points) {
    static const QString family = [] {
        for (const QString& candidate :
             {toQString(windowLayout().fontFamily), QStringLiteral("Selawik"),
              QStringLiteral("Open Sans"), QStringLiteral("Noto Sans"),
              QStringLiteral("DejaVu Sans")}) {
            if (!QFontDatabase::styles(candidate).isEmpty()) {  // installed under that name
                return candidate;
            }
        }
        return QString();  // the toolkit's default sans
    }();
    QFont font = QApplication::font();
    if (!family.isEmpty()) {
        font.setFamily(family);
    }
    font.setPointSizeF(points);
    return font;
}

// A picture the program was built with, by the name the layout gives it; a null image if
// there is none.
QImage embeddedImage(std::string_view name) {
    for (const EmbeddedPicture& picture : embeddedPictures()) {
        if (picture.name == name) {
            return QImage(reinterpret_cast<const uchar*>(picture.pixels), picture.width,
                          picture.height, picture.width * qsizetype{4},
                          picture.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        }
    }
    return QImage();
}

// A picture at its natural size; on screens with smaller pixels, its twice-as-large drawing
// ("footer@2x.jpg" beside "footer.jpg"), so it stays sharp.
QPixmap pictureFor(std::string_view name, qreal devicePixelRatio) {
    if (const std::size_t dot = name.rfind('.'); devicePixelRatio > 1 && dot != name.npos) {
        const std::string sharpName =
            std::string(name.substr(0, dot)) + "@2x" + std::string(name.substr(dot));
        QImage sharp = embeddedImage(sharpName);
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2);
            return QPixmap::fromImage(sharp);
        }
    }
    return QPixmap::fromImage(embeddedImage(name));
}

// Positions in characters (code points) to positions in a QString's UTF-16 units.
qsizetype utf16Position(const QString& text, int characters) {
    qsizetype position = 0;
    for (int seen = 0; seen < characters && position < text.size(); ++seen) {
        position += (text.at(position).isHighSurrogate() && position + 1 < text.size()) ? 2 : 1;
    }
    return position;
}

}  // namespace

// A text box whose typed characters pass through a KeyPress handler first, and which reports
// when it receives the focus.
class TextField final : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

    std::function<int(int)> keyPress;               // returns the code to type, 0 to discard
    std::function<void(Qt::FocusReason)> gotFocus;  // after the toolkit has placed the caret

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const bool navigation = key == Qt::Key_Tab || key == Qt::Key_Backtab ||
                                key == Qt::Key_Delete || key == Qt::Key_Insert;
        if (!keyPress || navigation || event->text().isEmpty()) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        // Every character of the event must pass; none is typed otherwise. Ctrl+letter types a
        // control character (or the bare letter, on some platforms): discarded either way.
        for (char32_t character : event->text().toUcs4()) {
            if (keyPress(static_cast<int>(character)) == 0) {
                event->accept();
                return;
            }
        }
        QLineEdit::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        mouseFocus_ = event->reason() == Qt::MouseFocusReason;
        if (gotFocus) {
            gotFocus(event->reason());
        }
    }

    // The click that brings the focus must not move the caret and undo the selection that
    // gotFocus made; later clicks in the field place the caret as usual.
    void mousePressEvent(QMouseEvent* event) override {
        if (mouseFocus_ && event->button() == Qt::LeftButton) {
            mouseFocus_ = false;
            swallowing_ = true;
            event->accept();
            return;
        }
        mouseFocus_ = false;
        QLineEdit::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!swallowing_) {
            QLineEdit::mouseMoveEvent(event);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (swallowing_) {
            swallowing_ = false;
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    }

  private:
    bool mouseFocus_ = false;
    bool swallowing_ = false;
};

namespace {

// A result cell: a label with a single-line border that keeps the text colour for the text.
class CellLabel final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        QPainter painter(this);
        paintOutline(painter, rect(), QColor(96, 96, 96));
    }
};

// A frame as an etched box with no caption; the frame width stays QFrame's, one pixel.
class EtchedFrame final : public QFrame {
  public:
    explicit EtchedFrame(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Box | QFrame::Sunken);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionFrame option;  // the palette as the window's state colours it
        initStyleOption(&option);
        QPainter painter(this);
        paintSunkenBox(painter, option.rect, option.palette);
    }
};

// A command button that Enter and the keypad's Enter press too, as Space does, when it has the
// focus: what every desktop's standard buttons do. It is never a default button, so Enter typed
// elsewhere stays with the field it was typed in.
class CommandButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            event->accept();
            if (!event->isAutoRepeat()) {
                click();
            }
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// The designed colours of a control, in one palette change: its text, and its background (the
// base of a text box, the face of a button).
void paint(QWidget* widget, const ControlLayout& c) {
    if (!c.background && !c.foreground) {
        return;
    }
    QPalette palette = widget->palette();
    if (c.foreground) {
        palette.setColor(QPalette::WindowText, toQColor(*c.foreground));
    }
    if (c.background) {
        const QColor background = toQColor(*c.background);
        palette.setColor(c.kind == ControlKind::TextBox ? QPalette::Base : QPalette::Window,
                         background);
        if (c.kind == ControlKind::Button) {
            palette.setColor(QPalette::Button, background);
        }
    }
    widget->setPalette(palette);
}

}  // namespace

QtWindowPort::QtWindowPort() {
    build();
}

void QtWindowPort::build() {
    const WindowLayout& window = windowLayout();
    // While the controls are made, the application's font is the window's: a text box lays its
    // text out once in the application's font before it takes its own, which would load a font
    // that the window never shows. Given back afterwards, so message boxes and menus keep the
    // system's font.
    const QFont systemFont = QApplication::font();
    QApplication::setFont(windowFont(window.fontPoints));
    const auto restore = qScopeGuard([&systemFont] { QApplication::setFont(systemFont); });
    setObjectName(toQString(window.name));
    setWindowTitle(toQString(window.caption));
    setWindowIcon(QIcon(QPixmap::fromImage(embeddedImage(window.icon))));
    setFixedSize(stakora::toPixels(window.width), stakora::toPixels(window.height));
    setFont(windowFont(window.fontPoints));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(window.background));
    setPalette(palette);

    for (const ControlLayout& control : formLayout()) {
        QWidget* parent =
            control.container.empty() ? this : byId_.at(std::string(control.container));
        QWidget* widget = create(control, parent);
        widget->setObjectName(QString::fromStdString(control.id()));
        widget->setGeometry(toPixels(control));
        byId_[control.id()] = widget;
    }
    QWidget* previous = nullptr;
    for (ControlRef ref : focusOrder()) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget(ref));
        }
        previous = widget(ref);
    }
    connect(elabora_, &QPushButton::clicked, this, [this] {
        if (events_ != nullptr) {
            events_->onElaboraClick();
        }
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        if (events_ != nullptr) {
            events_->onClearClick();
        }
    });
}

QWidget* QtWindowPort::create(const ControlLayout& c, QWidget* parent) {
    const std::optional<ControlRef> ref = c.ref();
    QWidget* widget = nullptr;
    switch (c.kind) {
        case ControlKind::Frame: {
            widget = new EtchedFrame(parent);
            break;
        }
        case ControlKind::Label: {
            QLabel* label = c.border ? new CellLabel(parent) : new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(toQt(c.align));
            label->setText(toQString(c.text));
            if (ref) {
                const auto column = static_cast<std::size_t>(ref->control) -
                                    static_cast<std::size_t>(Control::lblSpesa);
                cells_.at(column).at(static_cast<std::size_t>(ref->index)) = label;
                static constexpr std::array<const char*, 3> kColumns = {"Spesa", "Vincita",
                                                                        "Utile"};
                // The name stays the caption, so a screen reader reads the value.
                label->setAccessibleDescription(
                    QStringLiteral("%1 %2").arg(kColumns.at(column)).arg(ref->index));
            }
            widget = label;
            break;
        }
        case ControlKind::TextBox: {
            auto* field = new TextField(toQString(c.text), parent);
            // The designed text boxes have no length limit; Qt's default would cut a long
            // paste short without a word.
            field->setMaxLength(std::numeric_limits<int>::max());
            field->setAlignment(toQt(c.align));
            if (ref->control == Control::txtPremio) {
                premio_ = field;
                field->setAccessibleName(QStringLiteral("PREMIO V.L.P"));
                field->keyPress = [this](int code) {
                    return events_ != nullptr ? events_->onPremioKeyPress(code) : code;
                };
            } else {
                const int index = ref->index;
                puntata_.at(static_cast<std::size_t>(index)) = field;
                field->setAccessibleName(QStringLiteral("Puntata %1").arg(index));
                field->keyPress = [this, index](int code) {
                    return events_ != nullptr ? events_->onPuntataKeyPress(index, code) : code;
                };
                // Activation and the closing of a context menu give the focus back; they do
                // not enter the field anew.
                field->gotFocus = [this, index](Qt::FocusReason reason) {
                    if (events_ != nullptr && reason != Qt::ActiveWindowFocusReason &&
                        reason != Qt::PopupFocusReason) {
                        events_->onPuntataGotFocus(index);
                    }
                };
            }
            widget = field;
            break;
        }
        case ControlKind::Button: {
            auto* button = new CommandButton(toQString(c.text), parent);
            button->setAutoDefault(false);
            button->setDefault(false);
            (ref->control == Control::cmdElabora ? elabora_ : clear_) = button;
            widget = button;
            break;
        }
        case ControlKind::Picture: {
            auto* picture = new QLabel(parent);
            picture->setPixmap(pictureFor(c.resource, parent->devicePixelRatioF()));
            widget = picture;
            break;
        }
    }
    if (c.kind != ControlKind::TextBox) {
        widget->setAutoFillBackground(c.background.has_value());
    }
    paint(widget, c);
    if (c.fontPoints > 0) {
        widget->setFont(windowFont(c.fontPoints));
    }
    return widget;
}

void QtWindowPort::showCentred() {
    const QRect screen = this->screen()->availableGeometry();
    move(screen.center() - rect().center());
    show();
}

QWidget* QtWindowPort::widget(ControlRef ref) const {
    if (!isValid(ref)) {
        throw std::out_of_range("no such control: " + nameOf(ref));
    }
    const auto index = static_cast<std::size_t>(ref.index);
    switch (ref.control) {
        case Control::txtPremio:
            return premio_;
        case Control::txtPuntata:
            return puntata_.at(index);
        case Control::lblSpesa:
        case Control::lblVincita:
        case Control::lblUtile:
            return label(ref);
        case Control::cmdElabora:
            return elabora_;
        case Control::cmdClear:
            return clear_;
    }
    return nullptr;
}

QWidget* QtWindowPort::widgetById(const std::string& id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

QLineEdit* QtWindowPort::textBox(ControlRef ref) const {
    if (!isTextBox(ref.control)) {
        throw std::out_of_range("not a text box: " + nameOf(ref));
    }
    return static_cast<QLineEdit*>(widget(ref));
}

QLabel* QtWindowPort::label(ControlRef ref) const {
    if (!isLabel(ref.control) || !isValid(ref)) {
        throw std::out_of_range("not a result cell: " + nameOf(ref));
    }
    const auto column =
        static_cast<std::size_t>(ref.control) - static_cast<std::size_t>(Control::lblSpesa);
    return cells_.at(column).at(static_cast<std::size_t>(ref.index));
}

std::string QtWindowPort::text(ControlRef box) const {
    return textBox(box)->text().toStdString();
}

void QtWindowPort::setText(ControlRef box, const std::string& text) {
    textBox(box)->setText(QString::fromStdString(text));
}

void QtWindowPort::select(ControlRef box, int start, int length) {
    QLineEdit* field = textBox(box);
    const QString text = field->text();
    const qsizetype from = utf16Position(text, start);
    const qsizetype to = utf16Position(text, start + length);
    field->setSelection(static_cast<int>(from), static_cast<int>(to - from));
}

void QtWindowPort::setCaption(ControlRef cell, const std::string& caption) {
    label(cell)->setText(QString::fromStdString(caption));
}

void QtWindowPort::refresh(ControlRef cell) {
    label(cell)->repaint();
}

void QtWindowPort::setFocus(ControlRef control) {
    QWidget* target = widget(control);
    target->setFocus(Qt::OtherFocusReason);
    // An inactive window only records the focus widget and sends no focus event; the field is
    // entered all the same.
    if (!target->hasFocus() && control.control == Control::txtPuntata && events_ != nullptr) {
        events_->onPuntataGotFocus(control.index);
    }
}

void QtWindowPort::sendTab() {
    // Queued: the focus moves on after the running handler has returned, from whichever
    // control has the focus then.
    QMetaObject::invokeMethod(
        this, [this] { focusNextChild(); }, Qt::QueuedConnection);
}

void QtWindowPort::messageBox(const std::string& prompt, const std::string& title) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title),
                    QString::fromStdString(prompt), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    // Give the keyboard back to the window, so the control the handler focuses next takes the
    // keys. A window manager does this by itself; without one (a kiosk or bare X session) the
    // input focus would be left with no window at all.
    activateWindow();
}

}  // namespace stakora::qt
