#include "qt_window_port.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>

#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "embedded_pictures.h"
#include "form_layout.h"
#include "qt_accessibility.h"
#include "qt_widgets.h"

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

// The window font: the first of the layout's families that the system has. Each candidate is
// looked up by its own name, without listing every installed family, and the first one found
// is the single family of every font of the window: a list that started with an absent family
// would have each later lookup ask fontconfig about it again.
QFont windowFont(double points) {
    static const QString family = [] {
        for (std::string_view name : fontFamilies()) {
            const QString candidate = toQString(name);
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
    if (const std::string sharpName = sharpPictureName(name);
        devicePixelRatio > 1 && !sharpName.empty()) {
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
    installAccessibleRoles();
    build();
    announcer_ = std::make_unique<Announcer>(this);
}

QtWindowPort::~QtWindowPort() = default;

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
                label->setAccessibleDescription(QString::fromStdString(cellDescription(*ref)));
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
            field->setAccessibleName(QString::fromStdString(stakora::accessibleName(*ref)));
            field->keyDone = [this] { takeQueuedTabs(); };
            if (ref->control == Control::txtPremio) {
                premio_ = field;
                field->keyPress = [this](int code) {
                    return events_ != nullptr ? events_->onPremioKeyPress(code) : code;
                };
            } else {
                const int index = ref->index;
                puntata_.at(static_cast<std::size_t>(index)) = field;
                field->keyPress = [this, index](int code) {
                    return events_ != nullptr ? events_->onPuntataKeyPress(index, code) : code;
                };
                // Activation and the closing of a context menu give the focus back.
                field->gotFocus = [this, index](Qt::FocusReason reason) {
                    if (events_ != nullptr) {
                        const bool back =
                            reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
                        events_->onPuntataGotFocus(
                            index, back ? FocusCause::Returned : FocusCause::Entered);
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

bool QtWindowPort::setFocus(ControlRef control) {
    QWidget* target = widget(control);
    target->setFocus(Qt::OtherFocusReason);
    return target->hasFocus();  // an inactive window only records the focus widget
}

void QtWindowPort::sendTab() {
    // Queued: the focus moves on after the running handler has returned, from whichever
    // control has the focus then, and before any later input, as a message posted to a Windows
    // window comes before the keys still in its queue. A queued call alone comes after every
    // key Qt has already read from the display: typed ahead of a busy program, those keys
    // would land in the field the Tab leaves. So a field takes the Tab as soon as it is done
    // with its key; the queued call is for a handler that no key ran.
    ++queuedTabs_;
    QMetaObject::invokeMethod(
        this, [this] { takeQueuedTabs(); }, Qt::QueuedConnection);
}

void QtWindowPort::takeQueuedTabs() {
    for (; queuedTabs_ > 0; --queuedTabs_) {
        focusNextChild();
    }
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

void QtWindowPort::announce(const std::string& text) {
    announcer_->announce(QString::fromStdString(text));
}

}  // namespace stakora::qt
