#include "main_window.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "form_layout.h"
#include "unexpected_failure.h"

namespace stakora {

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kComma = 44;
constexpr int kDiscard = 0;

constexpr const char* kPrizeMissing = "Inserire Premio ..! ";

std::string describe(const NumberError& error) {
    const bool prize = error.field() == Field::Prize;
    const std::string where =
        prize ? "Il premio" : "La puntata della riga " + std::to_string(error.row());
    if (error.kind() == NumberError::Kind::TypeMismatch) {
        return where + " non è un numero.\nUsare solo cifre e la virgola (per esempio " +
               (prize ? kDefaultPrizeText : "10,50") + ").";
    }
    if (prize) {
        return "Il premio è troppo grande per essere calcolato.";
    }
    return "Riga " + std::to_string(error.row()) +
           ": la puntata o il suo risultato è troppo grande per essere calcolato.";
}

// What a screen reader says once ELABORA has filled the rows: how many, and where the last one
// stands, in the words its cells show.
std::string elaboraSummary(int rows, const RowResult& last) {
    if (rows == 0) {
        return "Nessuna puntata da elaborare.";
    }
    // Commas, not colons: speech synthesisers read a colon aloud.
    return std::to_string(rows) + (rows == 1 ? " puntata elaborata" : " puntate elaborate") +
           ", spesa " + DecimalText::formatAmount(last.spend) + ", utile " +
           DecimalText::formatAmount(last.profit) + ".";
}

constexpr const char* kCleared = "Puntate e risultati cancellati.";

}  // namespace

bool isAcceptedCode(int code) {
    return code == kBackspace || code == kComma || (code >= '0' && code <= '9');
}

int characterCount(const std::string& utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;  // skip continuation bytes
    }));
}

MainWindow::MainWindow(std::unique_ptr<WindowPort> port) : port_(std::move(port)) {
    port_->listen(*this);
    // The window opens in the focusable control with the lowest tab index: the first stake.
    enter(focusOrder().front());
}

template <typename Body>
int MainWindow::guarded(Body&& body, int onFailure) noexcept {
    // A handler can raise another (a focus moved from inside a click): what the inner one
    // changes, the outer one has changed as well.
    const Interrupted outer = std::exchange(progress_, Interrupted::NothingChanged);
    int answer = onFailure;
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            answer = 0;
        } else {
            answer = body();
        }
    } catch (...) {
        logUnexpectedFailure("a handler of the window");
        try {
            port_->messageBox(unexpectedFailureMessage(progress_), kAppTitle);
        } catch (...) {
            // The toolkit cannot even show a box: the window still goes on.
            logUnexpectedFailure("the message box");
        }
    }
    progress_ = std::max(outer, progress_);
    return answer;
}

void MainWindow::changed(Interrupted how) {
    progress_ = std::max(progress_, how);
}

// A toolkit moves the focus of an inactive window (not yet shown, or behind another) only when
// the window is next activated, and raises no focus event now; a stake field is entered all the
// same, so it is ready with its text selected.
void MainWindow::enter(ControlRef control) {
    if (!port_->setFocus(control) && control.control == Control::txtPuntata) {
        selectAll(control);
    }
}

void MainWindow::onElaboraClick() {
    guarded([this] { elabora(); });
}

void MainWindow::onClearClick() {
    guarded([this] { clear(); });
}

int MainWindow::onPremioKeyPress(int code) {
    // Pure and cannot fail, but every handler has the same guard.
    return guarded([code] { return isAcceptedCode(code) ? code : kDiscard; }, kDiscard);
}

int MainWindow::onPuntataKeyPress(int index, int code) {
    return guarded([=, this] { return puntataKeyPress(index, code); }, kDiscard);
}

void MainWindow::onPuntataGotFocus(int index, FocusCause cause) {
    if (cause == FocusCause::Entered) {
        guarded([=, this] { selectAll(txtPuntata(index)); });
    }
}

void MainWindow::elabora() {
    StakeSchedule schedule;
    schedule.prizeText = port_->text(txtPremio());
    for (int row = 1; row <= ROW_COUNT; ++row) {
        schedule.stakeText(row) = port_->text(txtPuntata(row));
    }
    try {
        int rows = 0;
        RowResult last{};
        const RunOutcome outcome = ScheduleCalculator::run(schedule, [&](const RowResult& row) {
            showRow(row);
            ++rows;
            last = row;
        });
        if (outcome == RunOutcome::PrizeMissing) {
            port_->messageBox(kPrizeMissing, kAppTitle);
            enter(txtPremio());
        } else {
            port_->announce(elaboraSummary(rows, last));
        }
    } catch (const NumberError& error) {
        reportNumberError(error);
    }
}

void MainWindow::showRow(const RowResult& row) {
    const auto show = [this](ControlRef cell, Amount amount) {
        port_->setCaption(cell, DecimalText::formatAmount(amount));
        changed(Interrupted::ResultsChanged);
        port_->refresh(cell);
    };
    show(lblSpesa(row.row), row.spend);
    show(lblVincita(row.row), row.win);
    show(lblUtile(row.row), row.profit);
}

// The rows before the failing one stay shown; the user is told what is wrong and where, and
// lands in that field with its text selected, ready to retype it.
void MainWindow::reportNumberError(const NumberError& error) {
    port_->messageBox(describe(error), kAppTitle);
    if (error.field() == Field::Stake) {
        enter(txtPuntata(error.row()));  // its GotFocus selects the text
    } else {
        enter(txtPremio());
        selectAll(txtPremio());
    }
}

void MainWindow::clear() {
    for (int row = 1; row <= ROW_COUNT; ++row) {
        port_->setText(txtPuntata(row), "");
        changed(Interrupted::InputsChanged);
        for (ControlRef cell : {lblSpesa(row), lblVincita(row), lblUtile(row)}) {
            port_->setCaption(cell, "");
            changed(Interrupted::ResultsChanged);
            port_->refresh(cell);
        }
    }
    port_->announce(kCleared);
}

int MainWindow::puntataKeyPress(int index, int code) {
    if (isAcceptedCode(code)) {
        return code;
    }
    if (code != kEnter) {
        return kDiscard;
    }
    if (index == ROW_COUNT) {
        enter(txtPuntata(1));  // the column wraps round to its first field
    } else {
        port_->sendTab();
    }
    return code;  // a single-line field does not insert it
}

void MainWindow::selectAll(ControlRef box) {
    port_->select(box, 0, characterCount(port_->text(box)));
}

}  // namespace stakora
