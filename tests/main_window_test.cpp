// The handlers against the in-memory port: every branch, without a toolkit.
#include "main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "form_layout.h"
#include "memory_window_port.h"

namespace stakora {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : port_(new MemoryWindowPort), window_(std::unique_ptr<WindowPort>(port_)) {}

    MemoryWindowPort& port() { return *port_; }
    const FormModel& model() { return port_->model(); }

    void setStakes(const std::vector<std::string>& stakes) {
        for (std::size_t i = 0; i < stakes.size(); ++i) {
            port().setText(txtPuntata(static_cast<int>(i) + 1), stakes[i]);
        }
    }
    std::vector<std::string> rowCaptions(int row) {
        return {model().caption(lblSpesa(row)), model().caption(lblVincita(row)),
                model().caption(lblUtile(row))};
    }
    void elabora() { port().click(cmdElabora()); }

    MemoryWindowPort* port_;
    MainWindow window_;
};

using Captions = std::vector<std::string>;

TEST_F(MainWindowTest, StartsWithTheDefaultPrizeAndTheFocusInTheFirstStake) {
    EXPECT_EQ(model().textBox(txtPremio()).text, "11,67");
    EXPECT_EQ(model().focus(), txtPuntata(1));
    // Entering it ran its GotFocus handler, and nothing else was written.
    EXPECT_EQ(port().log(),
              (std::vector<std::string>{"focus txtPuntata(1)", "select txtPuntata(1) 0 0"}));
}

TEST_F(MainWindowTest, ElaboraFillsEachCellAndRepaintsItBeforeTheNext) {
    setStakes({"10", "", "5"});
    port().clearLog();
    elabora();
    const std::vector<std::string> expected = {
        "caption lblSpesa(1)=10,00",
        "refresh lblSpesa(1)",
        "caption lblVincita(1)=116,70",
        "refresh lblVincita(1)",
        "caption lblUtile(1)=106,70",
        "refresh lblUtile(1)",
        "caption lblSpesa(3)=15,00",
        "refresh lblSpesa(3)",
        "caption lblVincita(3)=58,35",
        "refresh lblVincita(3)",
        "caption lblUtile(3)=43,35",
        "refresh lblUtile(3)",
        "announce 2 puntate elaborate, spesa 15,00, utile 43,35."};
    EXPECT_EQ(port().log(), expected);
    EXPECT_EQ(model().focus(), cmdElabora());  // the focus stays where the click left it
    EXPECT_TRUE(port().messages().empty());
}

TEST_F(MainWindowTest, EmptyPrizeWarnsOnceAndMovesTheFocusWithoutTouchingTheGrid) {
    setStakes({"nonsense", "1"});
    port().model().caption(lblSpesa(2)) = "old";
    port().setText(txtPremio(), "");
    port().clearLog();
    elabora();
    ASSERT_EQ(port().messages().size(), 1U);
    EXPECT_EQ(port().messages()[0].prompt, "Inserire Premio ..! ");
    EXPECT_EQ(port().messages()[0].title, "Stakora");
    EXPECT_EQ(model().focus(), txtPremio());
    EXPECT_EQ(port().log(),
              (std::vector<std::string>{"message Inserire Premio ..! ", "focus txtPremio"}));
    EXPECT_EQ(model().caption(lblSpesa(2)), "old");
}

TEST_F(MainWindowTest, RowsEmptiedBetweenRunsKeepTheirEarlierResults) {
    setStakes({"1", "2", "3"});
    elabora();
    const Captions first = rowCaptions(1);
    const Captions second = rowCaptions(2);
    elabora();
    EXPECT_EQ(rowCaptions(1), first);  // the same input gives the same captions
    port().setText(txtPuntata(2), "");
    elabora();
    EXPECT_EQ(rowCaptions(2), second);
    EXPECT_EQ(rowCaptions(3)[0], "4,00");  // spend 1 + 3: row 2's stake is gone
}

TEST_F(MainWindowTest, CancellaEmptiesStakesAndCellsButKeepsPrizeAndFocus) {
    setStakes({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"});
    port().setText(txtPremio(), "9,5");
    elabora();
    port().setFocus(txtPuntata(7));
    port().clearLog();
    window_.onClearClick();
    for (int row = 1; row <= ROW_COUNT; ++row) {
        EXPECT_EQ(model().textBox(txtPuntata(row)).text, "");
        EXPECT_EQ(rowCaptions(row), Captions({"", "", ""}));
    }
    EXPECT_EQ(model().textBox(txtPremio()).text, "9,5");
    EXPECT_EQ(model().focus(), txtPuntata(7));
    // Each emptied cell is repainted at once.
    const auto& log = port().log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& op) { return op.rfind("refresh ", 0) == 0; }),
              3 * ROW_COUNT);
    EXPECT_EQ(log.back(), "announce Puntate e risultati cancellati.");
}

TEST_F(MainWindowTest, BadStakeStopsAtItsRowSaysWhereAndSelectsIt) {
    for (int row = 1; row <= ROW_COUNT; ++row) {
        port().model().caption(lblUtile(row)) = "old";
    }
    setStakes({"1", "1", "1", "1", "1,,2", "1"});
    elabora();
    EXPECT_EQ(model().caption(lblUtile(4)), "7,67");
    EXPECT_EQ(model().caption(lblUtile(5)), "old");
    EXPECT_EQ(model().caption(lblUtile(6)), "old");
    ASSERT_EQ(port().messages().size(), 1U);
    EXPECT_NE(port().messages()[0].prompt.find("riga 5"), std::string::npos);
    EXPECT_NE(port().messages()[0].prompt.find("non è un numero"), std::string::npos);
    EXPECT_EQ(port().messages()[0].title, "Stakora");
    EXPECT_EQ(model().focus(), txtPuntata(5));
    EXPECT_EQ(model().textBox(txtPuntata(5)).selStart, 0);
    EXPECT_EQ(model().textBox(txtPuntata(5)).selLength, 4);
}

TEST_F(MainWindowTest, BadOrHugePrizeIsReportedAtThePrize) {
    setStakes({"1"});
    port().setText(txtPremio(), "1.5");
    elabora();
    ASSERT_EQ(port().messages().size(), 1U);
    EXPECT_NE(port().messages()[0].prompt.find("Il premio"), std::string::npos);
    EXPECT_EQ(model().focus(), txtPremio());
    EXPECT_EQ(model().textBox(txtPremio()).selLength, 3);
    EXPECT_EQ(model().caption(lblSpesa(1)), "");

    port().setText(txtPremio(), std::string(50, '9'));
    elabora();
    ASSERT_EQ(port().messages().size(), 2U);
    EXPECT_NE(port().messages()[1].prompt.find("troppo grande"), std::string::npos);
}

TEST_F(MainWindowTest, OverflowInARowsArithmeticNamesTheRow) {
    port().setText(txtPremio(), "10");
    setStakes({"1", "300.000.000.000.000.000.000.000.000.000.000.000.000"});
    elabora();
    ASSERT_EQ(port().messages().size(), 1U);
    EXPECT_NE(port().messages()[0].prompt.find("Riga 2"), std::string::npos);
    EXPECT_EQ(model().caption(lblSpesa(1)), "1,00");
    EXPECT_EQ(model().focus(), txtPuntata(2));
}

TEST_F(MainWindowTest, StakeFieldsTakeOnlyDigitsCommasAndBackspace) {
    port().type("1a2.3,4");
    EXPECT_EQ(model().textBox(txtPuntata(1)).text, "123,4");
    port().type("\b\b");
    EXPECT_EQ(model().textBox(txtPuntata(1)).text, "123");
    for (int code : {3, 22, 24, 26, 27, int{' '}, int{'-'}, int{'+'}, int{'e'},
                     0xE8}) {  // Ctrl+C/V/X/Z, Esc...
        port().typeCode(code);
    }
    port().type("1,,2");
    EXPECT_EQ(model().textBox(txtPuntata(1)).text, "1231,,2");
}

TEST_F(MainWindowTest, PrizeFieldFiltersTheSameAndIgnoresEnter) {
    port().setFocus(txtPremio());
    port().select(txtPremio(), 0, 5);
    port().type("2x.5\r");
    port().processEvents();
    EXPECT_EQ(model().textBox(txtPremio()).text, "25");
    EXPECT_EQ(model().focus(), txtPremio());
}

TEST_F(MainWindowTest, EnterWalksDownTheColumnAfterTheHandlerAndWrapsAtTheEnd) {
    port().setText(txtPuntata(4), "250");
    port().setFocus(txtPuntata(3));
    port().type("\r");
    EXPECT_EQ(model().focus(), txtPuntata(3));  // the Tab is only queued
    port().processEvents();
    EXPECT_EQ(model().focus(), txtPuntata(4));
    EXPECT_EQ(model().textBox(txtPuntata(4)).selStart, 0);
    EXPECT_EQ(model().textBox(txtPuntata(4)).selLength, 3);
    port().type("7");
    EXPECT_EQ(model().textBox(txtPuntata(4)).text, "7");  // the selection was replaced

    port().setText(txtPuntata(1), "12");
    port().setFocus(txtPuntata(15));
    port().type("\r");
    EXPECT_EQ(model().focus(), txtPuntata(1));
    EXPECT_EQ(model().textBox(txtPuntata(1)).selLength, 2);
}

TEST_F(MainWindowTest, SelectionCountsCharactersNotBytes) {
    port().setText(txtPuntata(2), "5€à");  // pasted text may hold any character
    port().setFocus(txtPuntata(2));
    EXPECT_EQ(model().textBox(txtPuntata(2)).selLength, 3);
}

TEST_F(MainWindowTest, TabOrderRunsThroughStakesThenTheBottomControls) {
    std::vector<ControlRef> expected;
    for (int row = 1; row <= ROW_COUNT; ++row) {
        expected.push_back(txtPuntata(row));
    }
    expected.insert(expected.end(), {cmdElabora(), txtPremio(), cmdClear()});
    EXPECT_EQ(focusOrder(), expected);
}

TEST_F(MainWindowTest, AToolkitFailureIsToldAndTheWindowGoesOnWithWhatWasTyped) {
    setStakes({"10", "5"});
    port().failOperations("caption lblUtile(2)");
    elabora();
    ASSERT_EQ(port().messages().size(), 1U);
    EXPECT_EQ(port().messages()[0].prompt, unexpectedFailureMessage(Interrupted::ResultsChanged));
    EXPECT_EQ(model().textBox(txtPuntata(2)).text, "5");
    EXPECT_EQ(rowCaptions(1), Captions({"10,00", "116,70", "106,70"}));

    // A key filter that fails discards its character and leaves the text as it was.
    port().failOperations("tab");
    port().setFocus(txtPuntata(2));
    port().type("\r");
    ASSERT_EQ(port().messages().size(), 2U);
    EXPECT_EQ(port().messages()[1].prompt, unexpectedFailureMessage(Interrupted::NothingChanged));
    EXPECT_EQ(model().textBox(txtPuntata(2)).text, "5");

    port().failOperations("");
    elabora();
    EXPECT_EQ(rowCaptions(2), Captions({"15,00", "58,35", "43,35"}));
    EXPECT_EQ(port().messages().size(), 2U);

    // Cancella stopped part way has emptied some stakes and not others: the box says so.
    setStakes({"1", "2", "3", "4"});
    port().failOperations("text txtPuntata(3)");
    port().click(cmdClear());
    ASSERT_EQ(port().messages().size(), 3U);
    EXPECT_EQ(port().messages()[2].prompt, unexpectedFailureMessage(Interrupted::InputsChanged));
    EXPECT_EQ(model().textBox(txtPuntata(2)).text, "");
    EXPECT_EQ(model().textBox(txtPuntata(3)).text, "3");
}

TEST_F(MainWindowTest, FocusInAnInactiveWindowEntersTheFieldButItsReturnDoesNot) {
    port().setText(txtPuntata(3), "12,5");
    port().deactivate();
    setStakes({"", "", "x"});  // ELABORA stops at row 3 with the window behind the box's owner
    elabora();
    EXPECT_EQ(model().focus(), txtPuntata(3));
    EXPECT_EQ(model().textBox(txtPuntata(3)).selLength, 1);  // entered: its text selected

    port().select(txtPuntata(3), 1, 0);  // the user places the caret, then leaves and returns
    port().activate();
    EXPECT_EQ(model().textBox(txtPuntata(3)).selStart, 1);
    EXPECT_EQ(model().textBox(txtPuntata(3)).selLength, 0);
}

// What each edition reads from the layout: the names it gives (heard in every edition's own
// tests) and the pictures it loads.
TEST(FormLayout, OnlyTextBoxesHaveNamesAndSharpPicturesAreNamedAfterThePlainOnes) {
    EXPECT_THROW(accessibleName(lblSpesa(1)), std::out_of_range);
    EXPECT_EQ(sharpPictureName("footer.jpg"), "footer@2x.jpg");
    EXPECT_EQ(sharpPictureName(":/a.b/footer"), "");  // no extension: only the plain picture
    EXPECT_EQ(pictureFile(":/footer.jpg"), "footer.jpg");
}

TEST(FormLayout, TabIndicesAreUniqueAndCoverTheWindow) {
    std::vector<int> indices;
    for (const ControlLayout& control : formLayout()) {
        if (control.tabIndex != kNoTabIndex) {
            indices.push_back(control.tabIndex);
        }
        EXPECT_NE(control.id(), "Label1(2)");
        EXPECT_NE(control.id(), "txtPuntata(0)");
        if (control.ref() && control.ref()->index != 0) {
            EXPECT_GE(control.ref()->index, 1);
        }
    }
    std::sort(indices.begin(), indices.end());
    ASSERT_EQ(indices.size(), 72U);
    for (int i = 0; i < 72; ++i) {
        EXPECT_EQ(indices[static_cast<std::size_t>(i)], i);
    }
}

}  // namespace
}  // namespace stakora
