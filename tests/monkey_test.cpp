// Thousands of random user events against the real window, from a fixed seed: typed characters
// of every kind, Enter, Tab, editing keys, pastes of random and of huge texts, clicks on the
// buttons and the fields. Nothing may crash; a field only ever typed into holds only digits and
// commas; after every ELABORA each row agrees with the calculation on the texts of that moment.
// STAKORA_MONKEY_SEED and STAKORA_MONKEY_EVENTS override the seed and the number of events.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>

#include <QRegularExpression>

#include "qt_test_support.h"

namespace stakora::qt {
namespace {

using testing::MessageBoxCatcher;
using testing::ShownWindow;

unsigned long setting(const char* name, unsigned long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::strtoul(value, nullptr, 10) : fallback;
}

class Monkey {
  public:
    Monkey(QtWindowPort& port, MessageBoxCatcher& catcher, unsigned long seed)
        : port_(port), catcher_(catcher), random_(seed) {
        fields_.push_back(txtPremio());
        for (int row = 1; row <= ROW_COUNT; ++row) {
            fields_.push_back(txtPuntata(row));
        }
    }

    void step() {
        const int choice = pick(100);
        if (choice < 45) {
            typeCharacter();
        } else if (choice < 60) {
            pressKey();
        } else if (choice < 64) {
            paste();
        } else if (choice < 76) {
            clickField();
        } else if (choice < 92) {
            elabora();
        } else {
            clear();
        }
        checkTypedFields();
    }

    int elaboras() const { return elaboras_; }
    int boxes() const { return boxes_; }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    QWidget* focused() {
        if (QApplication::focusWidget() == nullptr) {
            reactivate();
        }
        return QApplication::focusWidget();
    }

    void reactivate() {
        port_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&port_));
    }

    void send(QWidget* target, Qt::Key key, const QString& text, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &release);
        QApplication::processEvents();  // queued Tabs
        afterBoxes();
    }

    void typeCharacter() {
        static const QString kMix = QStringLiteral("0123456789,,,.-+ eE€àèx\t");
        QString text;
        switch (pick(4)) {
            case 0:
            case 1:
                text = kMix.at(pick(static_cast<int>(kMix.size())));
                break;
            case 2:
                text = QChar(static_cast<char16_t>(1 + pick(31)));  // control characters
                break;
            default:
                text = QChar(static_cast<char16_t>(0xA0 + pick(0xD000)));  // anything printable
                break;
        }
        send(focused(), Qt::Key_unknown, text);
    }

    void pressKey() {
        struct Key {
            Qt::Key key;
            const char* text;
            Qt::KeyboardModifiers mods;
        };
        static const std::array<Key, 14> kKeys = {{
            {Qt::Key_Return, "\r", {}},
            {Qt::Key_Return, "\r", {}},
            {Qt::Key_Enter, "\r", {}},
            {Qt::Key_Tab, "\t", {}},
            {Qt::Key_Backtab, "", Qt::ShiftModifier},
            {Qt::Key_Backspace, "\b", {}},
            {Qt::Key_Delete, "\x7f", {}},
            {Qt::Key_Home, "", {}},
            {Qt::Key_End, "", {}},
            {Qt::Key_Left, "", {}},
            {Qt::Key_V, "\x16", Qt::ControlModifier},
            {Qt::Key_X, "\x18", Qt::ControlModifier},
            {Qt::Key_Z, "\x1a", Qt::ControlModifier},
            {Qt::Key_A, "\x01", Qt::ControlModifier},
        }};
        const Key& key = kKeys.at(static_cast<std::size_t>(pick(static_cast<int>(kKeys.size()))));
        send(focused(), key.key, QString::fromLatin1(key.text), key.mods);
    }

    void paste() {
        QString text;
        switch (pick(4)) {
            case 0:
                text = QString(20000 + pick(50000), QChar(u'0' + pick(10)));  // huge
                break;
            case 1:
                text = QStringLiteral("1.234,5");
                break;
            default:
                for (int i = pick(12); i > 0; --i) {
                    text += QChar(static_cast<char16_t>(32 + pick(0x2000)));
                }
        }
        QApplication::clipboard()->setText(text);
        auto* field = qobject_cast<QLineEdit*>(focused());
        if (field == nullptr) {
            return;
        }
        pasted_.insert(field);
        if (pick(2) == 0) {
            send(field, Qt::Key_Insert, QString(), Qt::ShiftModifier);
        } else {
            field->paste();  // as the context menu does
        }
    }

    void clickField() {
        const ControlRef field = fields_.at(static_cast<std::size_t>(pick(ROW_COUNT + 1)));
        QTest::mouseClick(port_.widget(field), Qt::LeftButton, {}, QPoint(3 + pick(40), 5));
        afterBoxes();
    }

    std::array<QString, 3 * ROW_COUNT> captions() {
        std::array<QString, 3 * ROW_COUNT> all;
        for (int row = 1; row <= ROW_COUNT; ++row) {
            const auto base = static_cast<std::size_t>(3 * (row - 1));
            all[base] = port_.label(lblSpesa(row))->text();
            all[base + 1] = port_.label(lblVincita(row))->text();
            all[base + 2] = port_.label(lblUtile(row))->text();
        }
        return all;
    }

    void elabora() {
        StakeSchedule schedule;
        schedule.prizeText = port_.text(txtPremio());
        for (int row = 1; row <= ROW_COUNT; ++row) {
            schedule.stakeText(row) = port_.text(txtPuntata(row));
        }
        auto expected = captions();
        try {
            ScheduleCalculator::run(schedule, [&](const RowResult& r) {
                const auto base = static_cast<std::size_t>(3 * (r.row - 1));
                expected[base] = QString::fromStdString(DecimalText::formatAmount(r.spend));
                expected[base + 1] = QString::fromStdString(DecimalText::formatAmount(r.win));
                expected[base + 2] = QString::fromStdString(DecimalText::formatAmount(r.profit));
            });
        } catch (const NumberError&) {
            // The rows before the failing one are expected; the rest stay as they were.
        }
        QTest::mouseClick(port_.widget(cmdElabora()), Qt::LeftButton);
        ++elaboras_;
        afterBoxes();
        ASSERT_EQ(captions(), expected) << "after ELABORA number " << elaboras_;
    }

    // Every stake and cell emptied; the prize kept.
    void clear() {
        const std::string prize = port_.text(txtPremio());
        QTest::mouseClick(port_.widget(cmdClear()), Qt::LeftButton);
        for (int row = 1; row <= ROW_COUNT; ++row) {
            ASSERT_EQ(port_.text(txtPuntata(row)), "") << "stake " << row;
        }
        ASSERT_EQ(captions(), decltype(captions()){});
        ASSERT_EQ(port_.text(txtPremio()), prize);
    }

    void afterBoxes() {
        const auto shown = catcher_.take();
        if (!shown.empty()) {
            boxes_ += static_cast<int>(shown.size());
            reactivate();
        }
    }

    // A field whose text holds anything but digits and commas must have been pasted into since
    // it was last empty.
    void checkTypedFields() {
        for (ControlRef ref : fields_) {
            QLineEdit* field = port_.textBox(ref);
            if (field->text().isEmpty()) {
                pasted_.erase(field);
                continue;
            }
            if (pasted_.count(field) == 0) {
                static const QRegularExpression kTyped(QStringLiteral("^[0-9,]*$"));
                ASSERT_TRUE(kTyped.match(field->text()).hasMatch())
                    << nameOf(ref) << " holds " << field->text().left(40).toStdString();
            }
        }
    }

    QtWindowPort& port_;
    MessageBoxCatcher& catcher_;
    std::mt19937 random_;
    std::vector<ControlRef> fields_;
    std::set<QLineEdit*> pasted_;
    int elaboras_ = 0;
    int boxes_ = 0;
};

TEST(Monkey, RandomEventsNeitherCrashNorCorruptTheWindow) {
    const unsigned long seed = setting("STAKORA_MONKEY_SEED", 20261207);
    const unsigned long events = setting("STAKORA_MONKEY_EVENTS", 3000);
    std::cout << "monkey seed: " << seed << ", events: " << events << std::endl;
    RecordProperty("seed", std::to_string(seed));

    MessageBoxCatcher catcher;
    ShownWindow window;
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.port));
    Monkey monkey(*window.port, catcher, seed);
    for (unsigned long i = 0; i < events && !HasFatalFailure(); ++i) {
        monkey.step();
    }
    std::cout << "monkey: " << monkey.elaboras() << " ELABORA, " << monkey.boxes()
              << " message boxes" << std::endl;
    EXPECT_GT(monkey.elaboras(), 0);
}

}  // namespace
}  // namespace stakora::qt
