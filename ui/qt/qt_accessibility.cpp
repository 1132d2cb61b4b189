#include "qt_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>

#include "qt_widgets.h"

namespace stakora::qt {

namespace {

class NoticeArea final : public QWidget {
  public:
    using QWidget::QWidget;
};

class Notice final : public QLabel {
  public:
    using QLabel::QLabel;
};

// A notification is read by its name: the text it holds.
class NoticeInterface final : public QAccessibleWidget {
  public:
    explicit NoticeInterface(Notice* notice)
        : QAccessibleWidget(notice, QAccessible::Notification) {}
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? static_cast<const QLabel*>(widget())->text()
                                         : QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleRole(const QString&, QObject* object) {
    if (auto* frame = dynamic_cast<EtchedFrame*>(object)) {
        return new QAccessibleWidget(frame, QAccessible::Grouping);
    }
    if (auto* area = dynamic_cast<NoticeArea*>(object)) {
        return new QAccessibleWidget(area, QAccessible::StatusBar);
    }
    if (auto* notice = dynamic_cast<Notice*>(object)) {
        return new NoticeInterface(notice);
    }
    return nullptr;
}

// How long a notification stays showing: long enough for a screen reader to ask for its text.
constexpr int kNoticeMs = 500;

}  // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleRole);
        return true;
    }();
    (void)installed;
}

Announcer::Announcer(QWidget* window) {
    auto* area = new NoticeArea(window);
    area->setObjectName(QStringLiteral("announcements"));
    notice_ = new Notice(area);
    area->hide();  // never on the screen, though present to assistive technology
}

void Announcer::announce(const QString& text) {
    notice_->setText(text);
    QAccessibleEvent shown(notice_.data(), QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    QTimer::singleShot(kNoticeMs, notice_.data(), [notice = notice_] {
        if (notice) {
            QAccessibleEvent hidden(notice.data(), QAccessible::ObjectHide);
            QAccessible::updateAccessibility(&hidden);
        }
    });
}

}  // namespace stakora::qt
