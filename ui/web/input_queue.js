// The window's input queue, as a desktop window has one. While the program cannot take input
// (before it has loaded, and while one of its handlers waits for a box to be dismissed or for a
// paint), what the player does to the window is not done at once: each key, edit, press on a
// field and click on a button is recorded as an action, with nothing of it reaching the page,
// and one consumer later hands the actions to the program one at a time, in the player's
// order. Each then lands where it would have: a key goes to the control that has the focus by
// then, so an Enter moves on from the field it was typed in and what follows it goes to the
// next. An action that fails is reported and skipped; the queue goes on.
//
// Whether it holds or not, the window behaves as a desktop window does: a press on a part of it
// that is no field or button (a cell, a heading, a frame) takes no focus, and the fields ignore
// the Ctrl (or Cmd) editing shortcuts, as the desktop editions' fields do. While a message box
// is open the box has the keyboard and the pointer: nothing reaches the window or is held.
(function () {
  "use strict";

  const window_ = document.getElementById("frmAmain");
  const actions = [];
  let hand = null; // the program's: takes one action
  let waiting = 0; // handlers of the program waiting for a box or a paint
  let afterwards = null; // while an action is handed over: what its handler queued
  let report = (error) => console.error(error);
  let abandoned = false; // the program could not start: nothing is held any more

  const holding = () => !abandoned && (hand === null || waiting > 0 || actions.length > 0);
  const controlOf = (target) =>
    target instanceof Element && window_.contains(target) ? target.closest("input, button") : null;
  // Edits that can be made again later exactly as the field would have made them; others
  // (undo, cut, drag and drop) are left to the field even while the queue holds.
  const replayable = /^(insertText|insertReplacementText|insertFromPaste|insertLineBreak|delete(Content|Word|SoftLine|HardLine)(Backward|Forward))$/;
  // The caret keys too: a held digit and a live arrow would otherwise overtake each other.
  const heldKeys = new Set(["Enter", "Tab", "Backspace", "Delete", "ArrowLeft", "ArrowRight",
                            "Home", "End"]);
  const shortcuts = new Set(["a", "c", "v", "x", "y", "z"]);
  const boxOpen = () => document.querySelector("dialog[open]") !== null;

  function hold(event, action) {
    event.preventDefault();
    event.stopImmediatePropagation();
    actions.push(action);
  }

  // Keys go to the window also while none of its controls has the focus yet (a press on one
  // is still held): the page itself has nothing else to type into.
  const aimedAtWindow = (target) => controlOf(target) !== null || target === document.body;
  document.addEventListener("keydown", (e) => {
    const field = controlOf(e.target)?.tagName === "INPUT";
    if (field && (e.ctrlKey || e.metaKey) && !e.altKey && shortcuts.has(e.key.toLowerCase())) {
      e.preventDefault();
      e.stopImmediatePropagation();
      return;
    }
    if (boxOpen() || !holding() || !aimedAtWindow(e.target) || e.ctrlKey || e.altKey ||
        e.metaKey) return;
    // Keys that type nothing (arrows, Shift) and the keys of input methods (composition,
    // phone keyboards: "Process", "Unidentified") come as edits, if at all.
    if (heldKeys.has(e.key) || Array.from(e.key).length === 1) {
      hold(e, { kind: "key", key: e.key, shift: e.shiftKey });
    }
  }, true);
  document.addEventListener("beforeinput", (e) => {
    if (boxOpen() || !holding() || !controlOf(e.target) || !replayable.test(e.inputType)) return;
    const data = e.data ?? (e.dataTransfer ? e.dataTransfer.getData("text/plain") : null);
    hold(e, { kind: "edit", type: e.inputType, data });
  }, true);
  // A press moves the focus only when its turn comes; a button's click is then its own action.
  document.addEventListener("mousedown", (e) => {
    const control = controlOf(e.target);
    if (!control && window_.contains(e.target)) e.preventDefault(); // no focus, no selection
    if (boxOpen() || !holding() || !control) return;
    if (control.tagName === "INPUT") hold(e, { kind: "focus", id: control.id });
    else e.preventDefault(); // the focus stays; the click follows
  }, true);
  // A tap on a field (a tap on a button goes on to its click).
  document.addEventListener("touchstart", (e) => {
    const control = controlOf(e.target);
    if (!boxOpen() && holding() && control && control.tagName === "INPUT") {
      hold(e, { kind: "focus", id: control.id });
    }
  }, { capture: true, passive: false });
  // An input method's text cannot be cancelled as it is composed: once committed, the field
  // gets back its text from before, and the characters are typed through the filter, at once
  // or, while the queue holds, when their turn comes.
  let composing = null;
  document.addEventListener("compositionstart", (e) => {
    const field = controlOf(e.target);
    composing = field && { field, value: field.value, start: field.selectionStart,
                           end: field.selectionEnd };
  }, true);
  document.addEventListener("compositionend", (e) => {
    const before = composing;
    composing = null;
    if (!before || abandoned) return;
    before.field.value = before.value;
    before.field.setSelectionRange(before.start, before.end);
    e.stopImmediatePropagation();
    const typed = Array.from(e.data || "", (c) => ({ kind: "edit", type: "insertText", data: c }));
    if (holding()) actions.push(...typed);
    else typed.forEach(deliver);
  }, true);
  document.addEventListener("click", (e) => {
    const control = controlOf(e.target);
    if (control && control.tagName === "BUTTON" && holding() && !boxOpen()) {
      hold(e, { kind: "click", id: control.id });
    }
  }, true);

  // Hands the actions over, one at a time, as long as the program can take them.
  function consume() {
    while (hand !== null && waiting === 0 && actions.length > 0) {
      deliver(actions.shift());
    }
  }

  function deliver(action) {
    afterwards = [];
    try {
      hand(action);
    } catch (error) {
      report(error);
    }
    // What the handler queued (a Tab after Enter) happens before the next action.
    const queued = afterwards;
    afterwards = null;
    for (const then of queued) {
      try {
        then();
      } catch (error) {
        report(error);
      }
    }
  }

  window.stakoraInput = {
    // The program takes the window over: what was held is handed to it now, and from now on
    // whenever it can take more.
    start(program, onFailure) {
      hand = program;
      report = onFailure;
      consume();
    },
    // Whether an event reaches the program as it happens.
    open: () => !holding(),
    // The program's handler waits for `done` (a promise): until it settles, input is held.
    waitFor(done) {
      ++waiting;
      Promise.resolve(done).catch(report).finally(() => {
        --waiting;
        consume();
      });
    },
    // Runs `then` once the running handler has returned and before any later input: at once
    // after the action being handed over, or else in a task of its own, input meanwhile held.
    // (Not within the event being handled: Firefox would then place the caret of a field that
    // `then` focuses over the selection its focus event made.)
    later(then) {
      if (afterwards !== null) {
        afterwards.push(then);
        return;
      }
      this.waitFor(new Promise((resolve) => setTimeout(() => {
        try {
          then();
        } finally {
          resolve();
        }
      }, 0)));
    },
    // The program could not start: what was held is handed to `fallback`, which puts it where
    // it was aimed without the program, and nothing more is held.
    abandon(fallback) {
      hand = null;
      abandoned = true;
      const held = actions.splice(0);
      for (const action of held) {
        try {
          fallback(action);
        } catch (error) {
          console.error(error);
        }
      }
    },
  };
})();
