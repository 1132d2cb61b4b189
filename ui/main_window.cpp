#include "main_window.h"

#include <algorithm>

#include "form_layout.h"

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
    port_->setFocus(focusOrder().front());
}

void MainWindow::onElaboraClick() {
    StakeSchedule schedule;
    schedule.prizeText = port_->text(txtPremio());
    for (int row = 1; row <= ROW_COUNT; ++row) {
        schedule.stakeText(row) = port_->text(txtPuntata(row));
    }
    try {
        const RunOutcome outcome =
            ScheduleCalculator::run(schedule, [this](const RowResult& row) { showRow(row); });
        if (outcome == RunOutcome::PrizeMissing) {
            port_->messageBox(kPrizeMissing, kAppTitle);
            port_->setFocus(txtPremio());
        }
    } catch (const NumberError& error) {
        reportNumberError(error);
    }
}

void MainWindow::showRow(const RowResult& row) {
    const auto show = [this](ControlRef cell, Amount amount) {
        port_->setCaption(cell, DecimalText::formatAmount(amount));
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
        port_->setFocus(txtPuntata(error.row()));  // its GotFocus selects the text
    } else {
        port_->setFocus(txtPremio());
        selectAll(txtPremio());
    }
}

void MainWindow::onClearClick() {
    for (int row = 1; row <= ROW_COUNT; ++row) {
        port_->setText(txtPuntata(row), "");
        for (ControlRef cell : {lblSpesa(row), lblVincita(row), lblUtile(row)}) {
            port_->setCaption(cell, "");
            port_->refresh(cell);
        }
    }
}

int MainWindow::onPremioKeyPress(int code) {
    return isAcceptedCode(code) ? code : kDiscard;
}

int MainWindow::onPuntataKeyPress(int index, int code) {
    if (isAcceptedCode(code)) {
        return code;
    }
    if (code != kEnter) {
        return kDiscard;
    }
    if (index == ROW_COUNT) {
        port_->setFocus(txtPuntata(1));  // the column wraps round to its first field
    } else {
        port_->sendTab();
    }
    return code;  // a single-line field does not insert it
}

void MainWindow::onPuntataGotFocus(int index) {
    selectAll(txtPuntata(index));
}

void MainWindow::selectAll(ControlRef box) {
    port_->select(box, 0, characterCount(port_->text(box)));
}

}  // namespace stakora
