// The window's input queue, as a desktop window has one. While the program cannot take input
// (before it has loaded, and while one of its handlers waits for a box to be dismissed or for a
// paint), what the player does to the window is not done at once: each key, edit, press on a
// field and click on a button is recorded as an action, with nothing of it reaching the page,
// and one consumer later hands the actions to the program one at a time, in the player's
// order. Each then lands where it would have: a key goes to the control that has the focus by
// then, so an Enter moves on from the field it was typed in and what follows it goes to the
// next. An action that fails is reported and skipped; the queue goes on.
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
  const heldKeys = new Set(["Enter", "Tab", "Backspace", "Delete"]);

  function hold(event, action) {
    event.preventDefault();
    event.stopImmediatePropagation();
    actions.push(action);
  }

  // Keys go to the window also while none of its controls has the focus yet (a press on one
  // is still held): the page itself has nothing else to type into.
  const aimedAtWindow = (target) => controlOf(target) !== null || target === document.body;
  document.addEventListener("keydown", (e) => {
    if (!holding() || !aimedAtWindow(e.target) || e.ctrlKey || e.altKey || e.metaKey) return;
    // Keys that type nothing (arrows, Shift) and the keys of input methods (composition,
    // phone keyboards: "Process", "Unidentified") come as edits, if at all.
    if (heldKeys.has(e.key) || Array.from(e.key).length === 1) {
      hold(e, { kind: "key", key: e.key, back: e.shiftKey });
    }
  }, true);
  document.addEventListener("beforeinput", (e) => {
    if (!holding() || !controlOf(e.target) || !replayable.test(e.inputType)) return;
    const data = e.data ?? (e.dataTransfer ? e.dataTransfer.getData("text/plain") : null);
    hold(e, { kind: "edit", type: e.inputType, data });
  }, true);
  // A press moves the focus only when its turn comes; a button's click is then its own action.
  document.addEventListener("mousedown", (e) => {
    const control = controlOf(e.target);
    if (!holding() || !control) return;
    if (control.tagName === "INPUT") hold(e, { kind: "focus", id: control.id });
    else e.preventDefault(); // the focus stays; the click follows
  }, true);
  // A tap on a field (a tap on a button goes on to its click).
  document.addEventListener("touchstart", (e) => {
    const control = controlOf(e.target);
    if (holding() && control && control.tagName === "INPUT") {
      hold(e, { kind: "focus", id: control.id });
    }
  }, { capture: true, passive: false });
  document.addEventListener("click", (e) => {
    const control = controlOf(e.target);
    if (control && control.tagName === "BUTTON" && holding()) {
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
