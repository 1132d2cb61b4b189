// The window's input, as a desktop window takes it from its message queue. Every key, edit and
// press that reaches the window becomes an action, and every action is done by one function of
// the program's (page.js), whether the program takes it at once or later: while the program
// cannot take input (before it has loaded, and while one of its handlers waits for a paint or
// for a box to be dismissed) the actions are held, with nothing of them reaching the page, and
// handed over one at a time, in the player's order. Each then lands where it would have: a key
// goes to the control that has the focus by then, so an Enter moves on from the field it was
// typed in and what follows it goes to the next. An action that fails is reported and skipped.
//
// The fields take what a desktop field takes: no drag out of them or drop into them, no word
// deletion, no undo or redo; a press on a part of the window that is no field or button takes
// no focus. While the message box is open it has the keyboard, as a desktop's modal loop has:
// Enter, Space and Escape close it and every other key is dropped, whether it is typed now or
// was held before the box opened; presses on the window do not reach it.
(function () {
  "use strict";

  const window_ = document.getElementById("frmAmain");
  const box = document.getElementById("msgbox");
  const actions = [];
  let hand = null; // the program's: does one action
  let waiting = 0; // handlers of the program waiting for a box or a paint
  let afterwards = null; // while an action is done: what its handler queued
  let report = (error) => console.error(error);
  let abandoned = false; // the program could not start: nothing is held any more
  let swallowClick = null; // a held press on a button: its click comes with the action

  const holding = () => !abandoned && (hand === null || waiting > 0 || actions.length > 0);
  const controlOf = (target) =>
    target instanceof Element && window_.contains(target) ? target.closest("input, button") : null;
  // Keys go to the window also while none of its controls has the focus (the page has nothing
  // else to type into).
  const aimedAtWindow = (target) => controlOf(target) !== null || target === document.body;

  // The keys a desktop window's controls answer; with Ctrl (or Cmd) only those of editing, so
  // that the browser's own shortcuts (print, reload, new tab) stay the browser's.
  const named = new Set(["Enter", "Tab", "Escape", "Backspace", "Delete", "ArrowLeft",
                         "ArrowRight", "ArrowUp", "ArrowDown", "Home", "End"]);
  const editing = new Set(["a", "c", "v", "x", "y", "z"]);
  // (WebKitGTK names Shift+Tab "Unidentified".)
  const nameOf = (e) => (e.key === "Unidentified" && e.code === "Tab" ? "Tab" : e.key);
  function windowKey(e) {
    const name = nameOf(e);
    if (e.isComposing || name === "Process" || name === "Unidentified") return false;
    if (named.has(name)) return true;
    if (Array.from(name).length !== 1) return false; // Shift, F5, Insert...
    return !(e.ctrlKey || e.metaKey) || editing.has(name.toLowerCase());
  }
  const keyAction = (e) => ({ kind: "key", key: nameOf(e), shift: e.shiftKey,
                              command: e.ctrlKey || e.metaKey, alt: e.altKey });

  // Edits that come without a key the window takes (a phone's keyboard, an input method, the
  // context menu's paste and cut), as the actions they are; the others a desktop field refuses.
  const edits = /^(insertText|insertReplacementText|insertFromPaste|deleteByCut)$/;
  const asKey = { insertLineBreak: "Enter", deleteContentBackward: "Backspace",
                  deleteContentForward: "Delete" };

  // Does the action now, or holds it.
  function take(event, action) {
    event.preventDefault();
    event.stopImmediatePropagation();
    if (holding()) actions.push(action);
    else deliver(action);
  }

  // The box's keys: Enter and Space (with Shift too) and Escape (alone) close it, once, as a
  // desktop's box closes; the rest is dropped.
  function boxKey(action) {
    const alone = !action.shift && !action.command && !action.alt;
    const closing = action.key === "Escape" ? alone : ["Enter", " "].includes(action.key) &&
                                                     !action.command && !action.alt;
    if (closing && box.open) box.close();
  }

  document.addEventListener("keydown", (e) => {
    if (box.open) {
      e.preventDefault();
      e.stopImmediatePropagation();
      box.querySelector("button").focus();
      if (!e.repeat && windowKey(e)) boxKey(keyAction(e));
      return;
    }
    if (!abandoned && aimedAtWindow(e.target) && windowKey(e)) take(e, keyAction(e));
  }, true);
  document.addEventListener("beforeinput", (e) => {
    if (abandoned || !controlOf(e.target) || e.inputType === "insertCompositionText") return;
    if (e.inputType in asKey) {
      return take(e, { kind: "key", key: asKey[e.inputType], shift: false, command: false,
                       alt: false });
    }
    if (!edits.test(e.inputType)) {
      e.preventDefault(); // drops, drags, word deletion, undo and redo
      return;
    }
    const data = e.data ?? (e.dataTransfer ? e.dataTransfer.getData("text/plain") : null);
    take(e, { kind: "edit", type: e.inputType, data });
  }, true);
  for (const type of ["dragstart", "drop"]) {
    document.addEventListener(type, (e) => {
      if (window_.contains(e.target)) e.preventDefault();
    }, true);
  }

  // A press on a field or button where the program holds input: done when its turn comes, at
  // the place it was made. A press on the rest of the window takes no focus and no selection.
  document.addEventListener("mousedown", (e) => {
    const control = controlOf(e.target);
    if (!control && window_.contains(e.target)) e.preventDefault();
    if (box.open || !control || abandoned) return;
    if (!holding()) {
      if (control.tagName === "BUTTON") control.focus(); // as every engine's desktop buttons
      return;
    }
    if (control.tagName === "BUTTON") swallowClick = control;
    take(e, { kind: "press", id: control.id, x: e.clientX, y: e.clientY });
  }, true);
  document.addEventListener("click", (e) => {
    if (swallowClick && e.target instanceof Element && swallowClick.contains(e.target)) {
      swallowClick = null;
      e.preventDefault();
      e.stopImmediatePropagation();
    }
  }, true);
  // A tap on a field while input is held (a tap on a button goes on to its click).
  document.addEventListener("touchstart", (e) => {
    const control = controlOf(e.target);
    if (!box.open && holding() && control && control.tagName === "INPUT") {
      const touch = e.changedTouches[0];
      take(e, { kind: "press", id: control.id, x: touch.clientX, y: touch.clientY });
    }
  }, { capture: true, passive: false });
  // An input method's text cannot be cancelled as it is composed: once committed, the field
  // gets back its text from before, and the characters are typed as keys, now or in turn.
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
    for (const c of Array.from(e.data || "")) {
      const action = { kind: "edit", type: "insertText", data: c };
      if (holding()) actions.push(action);
      else deliver(action);
    }
  }, true);

  // Hands the actions over, one at a time, as long as the program can take them; while its
  // box is open, to the box.
  let consuming = false;
  function consume() {
    if (consuming) return; // a box opened by the action being done: the loop below feeds it
    consuming = true;
    try {
      while (hand !== null && actions.length > 0 && (waiting === 0 || box.open)) {
        const action = actions.shift();
        if (!box.open) deliver(action);
        else if (action.kind === "key") boxKey(action);
      }
    } finally {
      consuming = false;
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
    // Whether what the player does now is done at once.
    open: () => !holding(),
    // Nothing held and no handler waiting, or only for its box: the window is still.
    still: () => hand !== null && actions.length === 0 && (waiting === 0 || box.open),
    // The program's box has opened: what was held before it is the box's.
    boxOpened: consume,
    // The program's handler waits for `done` (a promise): until it settles, input is held.
    waitFor(done) {
      ++waiting;
      Promise.resolve(done).catch(report).finally(() => {
        --waiting;
        consume();
      });
    },
    // Runs `then` once the running handler has returned and before any later input: at once
    // after the action being done, or else in a task of its own, input meanwhile held. (Not
    // within the event being handled: Firefox would then place the caret of a field that
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
