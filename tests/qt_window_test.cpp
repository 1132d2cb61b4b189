// The real Qt window, offscreen: built as the layout says, and driven by simulated keys and
// clicks through the handlers.
#include <qdrawutil.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "form_layout.h"
#include "outline_painting.h"
#include "qt_test_support.h"

namespace stakora::qt {
namespace {

using testing::MessageBoxCatcher;
using testing::ShownWindow;

QColor colourOf(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

class QtWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(QTest::qWaitForWindowActive(window_.port)); }
    void TearDown() override { EXPECT_TRUE(catcher_.take().empty()) << "an unexpected box"; }

    QtWindowPort& port() { return *window_.port; }
    QLineEdit* field(ControlRef ref) { return port().textBox(ref); }
    QString caption(ControlRef ref) { return port().label(ref)->text(); }
    void click(ControlRef button) { QTest::mouseClick(port().widget(button), Qt::LeftButton); }
    // After a modal box the offscreen platform does not give the window back by itself.
    void reactivate() {
        port().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&port()));
    }
    QWidget* focused() { return QApplication::focusWidget(); }

    MessageBoxCatcher catcher_;
    ShownWindow window_;
};

TEST_F(QtWindowTest, BuildsEveryControlWhereTheLayoutPutsIt) {
    const WindowLayout& window = windowLayout();
    EXPECT_EQ(port().windowTitle(), "  STAKORA DI GIOCO");
    EXPECT_EQ(port().size(), QSize(397, 575));
    EXPECT_EQ(port().minimumSize(), port().maximumSize());  // fixed size
    EXPECT_EQ(port().palette().color(QPalette::Window), colourOf(window.background));
    EXPECT_FALSE(port().windowIcon().isNull());

    // Open Sans is what the build installs where Segoe UI is missing.
    const QString designedOrSubstitute =
        QFontDatabase::families().contains("Segoe UI") ? "Segoe UI" : "Open Sans";
    for (const ControlLayout& control : formLayout()) {
        SCOPED_TRACE(control.id());
        QWidget* widget = port().widgetById(control.id());
        ASSERT_NE(widget, nullptr);
        const QWidget* container =
            control.container.empty() ? &port() : port().widgetById(std::string(control.container));
        EXPECT_EQ(widget->parentWidget(), container);
        const QRect expected(toPixels(control.left), toPixels(control.top), toPixels(control.width),
                             toPixels(control.height));
        EXPECT_EQ(widget->geometry(), expected);
        const double points = control.fontPoints > 0 ? control.fontPoints : window.fontPoints;
        EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), points);
        EXPECT_EQ(widget->font().family(), designedOrSubstitute);
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->pixmap().isNull()) {
            EXPECT_EQ(label->pixmap().size(), QSize(156, 16));
        } else if (label) {
            EXPECT_EQ(label->text().toStdString(), control.text);
            EXPECT_EQ(label->palette().color(QPalette::Window), colourOf(*control.background));
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text().toStdString(), control.text);
            EXPECT_FALSE(button->isDefault() || button->autoDefault());
        }
        if (control.foreground) {
            EXPECT_EQ(widget->palette().color(QPalette::WindowText), colourOf(*control.foreground));
        }
        if (!control.text.empty()) {  // fixed texts fit their controls, in either font
            const QFontMetrics metrics(widget->font());
            const auto size = static_cast<qsizetype>(control.text.size());
            EXPECT_LT(metrics.horizontalAdvance(QString::fromUtf8(control.text.data(), size)),
                      widget->width());
            EXPECT_LE(metrics.height(), widget->height());
        }
    }
    EXPECT_EQ(field(txtPremio())->text(), "11,67");
    EXPECT_EQ(field(txtPremio())->palette().color(QPalette::Base),
              colourOf(*layoutOf(txtPremio()).background));
}

TEST_F(QtWindowTest, StartsInTheFirstStakeAndTabsRoundTheFocusableControls) {
    EXPECT_EQ(focused(), field(txtPuntata(1)));
    QTest::keyClick(field(txtPuntata(1)), Qt::Key_Tab);
    EXPECT_EQ(focused(), field(txtPuntata(2)));
    port().setFocus(txtPuntata(15));
    for (ControlRef next : {cmdElabora(), txtPremio(), cmdClear(), txtPuntata(1)}) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        EXPECT_EQ(focused(), port().widget(next)) << nameOf(next);
    }
}

TEST_F(QtWindowTest, ScreenReadersHearEachFieldsNameAndEachCellsValue) {
    QAccessibleInterface* stake = QAccessible::queryAccessibleInterface(field(txtPuntata(3)));
    ASSERT_NE(stake, nullptr);
    EXPECT_EQ(stake->text(QAccessible::Name), "Puntata 3");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(field(txtPremio()))->text(QAccessible::Name),
              "PREMIO V.L.P");

    field(txtPuntata(3))->setText("4");
    click(cmdElabora());
    QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(port().label(lblUtile(3)));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "42,68");
    EXPECT_EQ(cell->text(QAccessible::Description), "Utile 3");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(port().label(lblSpesa(9)))
                  ->text(QAccessible::Description),
              "Spesa 9");
}

TEST_F(QtWindowTest, TypedKeysPassOnlyDigitsCommasAndBackspace) {
    QLineEdit* stake = field(txtPuntata(1));
    QTest::keyClicks(stake, "1a2.3,4");
    EXPECT_EQ(stake->text(), "123,4");
    QTest::keyClick(stake, Qt::Key_Backspace);
    EXPECT_EQ(stake->text(), "123,");
    // Keys that type no character keep working.
    QTest::keyClick(stake, Qt::Key_Home);
    QTest::keyClick(stake, Qt::Key_Delete);
    EXPECT_EQ(stake->text(), "23,");

    QLineEdit* prize = field(txtPremio());
    prize->selectAll();
    QTest::keyClicks(prize, "7x,5.");
    QTest::keyClick(prize, Qt::Key_Return);
    EXPECT_EQ(prize->text(), "7,5");
}

TEST_F(QtWindowTest, CtrlShortcutsTypeNothingButTheContextMenuPastes) {
    QLineEdit* stake = field(txtPuntata(2));
    QApplication::clipboard()->setText("1.5");
    QTest::keyClick(stake, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(stake->text(), "");
    stake->setText("42");
    stake->selectAll();
    QTest::keyClick(stake, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(stake->text(), "42");

    std::unique_ptr<QMenu> menu(stake->createStandardContextMenu());
    const QString pasteText = QCoreApplication::translate("QLineEdit", "&Paste");
    EXPECT_EQ(pasteText, "&Incolla");  // the toolkit's texts speak Italian too
    const QList<QAction*> actions = menu->actions();
    const auto paste = std::find_if(actions.begin(), actions.end(),
                                    [&](QAction* a) { return a->text().startsWith(pasteText); });
    ASSERT_NE(paste, actions.end());
    (*paste)->trigger();
    EXPECT_EQ(stake->text(), "1.5");
    QTest::keyClick(stake, Qt::Key_Insert, Qt::ShiftModifier);  // Shift+Insert still pastes
    EXPECT_EQ(stake->text(), "1.51.5");

    // No word deleted, and nothing dropped: a standard desktop field takes neither.
    for (const auto& [key, modifier] : {std::pair{Qt::Key_Backspace, Qt::ControlModifier},
                                        std::pair{Qt::Key_Backspace, Qt::AltModifier},
                                        std::pair{Qt::Key_Delete, Qt::ControlModifier}}) {
        QTest::keyClick(stake, key, modifier);
    }
    QTest::keyClick(stake, Qt::Key_Home);
    QTest::keyClick(stake, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(stake->text(), "1.51.5");
    QMimeData dropped;
    dropped.setText("7");
    QDragEnterEvent drag(stake->rect().center(), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(stake, &drag);
    EXPECT_FALSE(drag.isAccepted());
}

TEST_F(QtWindowTest, ALongPasteIsKeptWholeAndAnsweredAtOnce) {
    QLineEdit* stake = field(txtPuntata(1));
    QApplication::clipboard()->setText(QString(100000, u'7'));
    stake->paste();
    EXPECT_EQ(stake->text().size(), 100000);
    click(cmdElabora());
    const auto boxes = catcher_.take();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_NE(boxes[0].text.find("troppo grande"), std::string::npos);
    EXPECT_EQ(stake->text().size(), 100000);  // the user's text is still there to fix
}

TEST_F(QtWindowTest, EnterMovesDownTheColumnWithTheNextTextSelected) {
    field(txtPuntata(4))->setText("250");
    port().setFocus(txtPuntata(3));
    QTest::keyClick(field(txtPuntata(3)), Qt::Key_Return);
    EXPECT_EQ(focused(), field(txtPuntata(4)));  // moved before any later key is taken
    EXPECT_EQ(field(txtPuntata(4))->selectedText(), "250");

    field(txtPuntata(1))->setText("9");
    port().setFocus(txtPuntata(15));
    QTest::keyClick(field(txtPuntata(15)), Qt::Key_Enter);
    QApplication::processEvents();
    EXPECT_EQ(focused(), field(txtPuntata(1)));
    EXPECT_EQ(field(txtPuntata(1))->selectedText(), "9");

    port().setFocus(txtPremio());
    QTest::keyClick(field(txtPremio()), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(focused(), field(txtPremio()));
}

TEST_F(QtWindowTest, AClickThatBringsTheFocusSelectsTheWholeStake) {
    QLineEdit* stake = field(txtPuntata(6));
    stake->setText("1234");
    QTest::mouseClick(stake, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(focused(), stake);
    EXPECT_EQ(stake->selectedText(), "1234");
    QTest::keyClick(stake, Qt::Key_5);
    EXPECT_EQ(stake->text(), "5");
    // A further click in the focused field places the caret as usual.
    stake->setText("1234");
    stake->selectAll();
    QTest::mouseClick(stake, Qt::LeftButton, {}, QPoint(stake->width() - 3, 5));
    EXPECT_FALSE(stake->hasSelectedText());
}

TEST_F(QtWindowTest, EmptyPrizeShowsTheWarningThenGoesToThePrize) {
    field(txtPuntata(1))->setText("5");
    field(txtPremio())->clear();
    click(cmdElabora());
    const auto boxes = catcher_.take();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "Inserire Premio ..! ");
    EXPECT_EQ(boxes[0].title, "Stakora");
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_EQ(caption(lblSpesa(1)), "");
    reactivate();
    EXPECT_EQ(focused(), field(txtPremio()));
}

TEST_F(QtWindowTest, PastedNonsenseIsReportedAndTheWindowGoesOn) {
    field(txtPuntata(1))->setText("3");
    field(txtPuntata(2))->setText("abc");
    click(cmdElabora());
    const auto boxes = catcher_.take();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_NE(boxes[0].text.find("riga 2"), std::string::npos);
    EXPECT_EQ(caption(lblSpesa(1)), "3,00");
    reactivate();
    EXPECT_EQ(focused(), field(txtPuntata(2)));
    EXPECT_EQ(field(txtPuntata(2))->selectedText(), "abc");
}

// The outlines painted as fills must be the pixels Qt's pens paint, on plain and scaled screens.
TEST(OutlinePaintingTest, PaintsWhatQtsPensPaint) {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    const auto paint = [](QSize size, qreal ratio, const std::function<void(QPainter&)>& draw) {
        QImage image(size * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        draw(painter);
        return image;
    };
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        for (const QSize size : {QSize(73, 21), QSize(353, 415), QSize(5, 5), QSize(4, 4)}) {
            SCOPED_TRACE(QStringLiteral("%1x%2 at %3")
                             .arg(size.width())
                             .arg(size.height())
                             .arg(ratio)
                             .toStdString());
            const QRect rect(QPoint(2, 3), size);
            const QSize canvas = size + QSize(5, 6);
            EXPECT_EQ(paint(canvas, ratio, [&](QPainter& p) { paintOutline(p, rect, Qt::red); }),
                      paint(canvas, ratio, [&](QPainter& p) {
                          p.setPen(Qt::red);
                          p.drawRect(rect.adjusted(0, 0, -1, -1));
                      }));
            EXPECT_EQ(paint(canvas, ratio, [&](QPainter& p) { paintSunkenBox(p, rect, palette); }),
                      paint(canvas, ratio,
                            [&](QPainter& p) { qDrawShadeRect(&p, rect, palette, true, 1, 0); }));
        }
    }
}

// A launcher icon is its rounded square on whatever lies behind it (a dock, the Start menu, an
// install dialog), at every size and in every frame of the ICO; the icons that a phone crops
// to its own shape are opaque to the edges.
TEST(ArtworkTest, LauncherIconsHaveTransparentCornersPhoneIconsNone) {
    for (const auto& [name, transparent] :
         std::initializer_list<std::pair<const char*, bool>>{{"stakora.png", true},
                                                             {"stakora-16.png", true},
                                                             {"stakora-32.png", true},
                                                             {"stakora-192.png", true},
                                                             {"stakora-256.png", true},
                                                             {"stakora-512.png", true},
                                                             {"stakora.ico", true},
                                                             {"stakora-180.png", false},
                                                             {"stakora-maskable-512.png", false}}) {
        QImageReader reader(QStringLiteral(STAKORA_RESOURCES "/") + QString::fromLatin1(name));
        int frames = 0;
        do {
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
            ++frames;
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(image.width() - 1, 0), QPoint(0, image.height() - 1),
                  QPoint(image.width() - 1, image.height() - 1)}) {
                EXPECT_EQ(image.pixelColor(corner).alpha(), transparent ? 0 : 255)
                    << name << " frame " << frames << " at " << corner.x() << "," << corner.y();
            }
            EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).alpha(), 255) << name;
        } while (reader.jumpToNextImage());
        EXPECT_EQ(frames, std::string_view(name).ends_with(".ico") ? 4 : 1) << name;
    }
}

}  // namespace
}  // namespace stakora::qt
