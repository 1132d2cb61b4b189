// The page's side of the window: the DOM's events to the handlers (stakora_event), the queued
// Tab, waiting for a paint, and the modal message box. Linked after the program (--post-js).
// The player's input reaches it as it happens, or, while the program cannot take it, later, as
// actions handed over by the input queue (input_queue.js). Either way a field behaves the same
// in every engine: Enter is read from the key itself (WebKit sends no beforeinput for it), a
// stake entered by a click keeps its text selected, and the caret keys move the caret as the
// field would.
(function () {
  const ELABORA_CLICK = 0, CLEAR_CLICK = 1, PREMIO_KEY = 2, PUNTATA_FOCUS = 3, PUNTATA_KEY = 4;
  const ENTER = 13, BACKSPACE = 8;
  const input = window.stakoraInput;
  let starting = true; // the program is starting: the user may already be in a field

  // The program, or the queue on the player's behalf, is acting: the focus it moves enters the
  // field, whatever the queue holds meanwhile.
  let acting = 0;
  const act = (work) => {
    ++acting;
    try {
      return work();
    } finally {
      --acting;
    }
  };

  const byId = (id) => document.getElementById(id);
  // The markup is written in the design's tab order.
  const focusOrder = () => Array.from(document.querySelectorAll("#frmAmain input, #frmAmain button"));
  const call = (event, index, code) => act(() =>
    Module.ccall("stakora_event", "number", ["number", "number", "number"], [event, index, code]));

  // What a field's KeyPress handler is called with, and for which stake.
  function keyEventOf(field) {
    const row = /^txtPuntata\((\d+)\)$/.exec(field.id);
    return row ? [PUNTATA_KEY, Number(row[1])] : [PREMIO_KEY, 0];
  }

  // Each character through the field's KeyPress handler: true if every one may be typed.
  function filter(field, text) {
    const [keyEvent, index] = keyEventOf(field);
    return Array.from(text).every((c) => call(keyEvent, index, c.codePointAt(0)) !== 0);
  }

  // Enter in a field: its KeyPress handler walks the column; a field types nothing for it.
  function enter(field) {
    const [keyEvent, index] = keyEventOf(field);
    call(keyEvent, index, ENTER);
  }

  // The range an edit removes: the selection, or else what the kind of deletion reaches.
  function deletion(field, type) {
    const start = field.selectionStart, end = field.selectionEnd, text = field.value;
    if (start !== end) return [start, end];
    const back = type.endsWith("Backward");
    if (type.startsWith("deleteContent")) return back ? [Math.max(0, start - 1), start] : [start, end + 1];
    if (type.startsWith("deleteWord")) {
      const word = back ? /\S*\s*$/.exec(text.slice(0, start))[0].length
                        : /^\s*\S*/.exec(text.slice(end))[0].length;
      return back ? [start - word, start] : [end, end + word];
    }
    return back ? [0, start] : [end, text.length]; // to the line's start or end
  }

  // An edit made now, as the field would have made it: typed text through the filter, pasted
  // text as it is, Enter to its handler.
  function edit(field, type, data) {
    if (type === "insertLineBreak") return enter(field);
    if (type.startsWith("delete")) {
      if (type === "deleteContentBackward" && !filter(field, String.fromCharCode(BACKSPACE))) return;
      const [from, to] = deletion(field, type);
      field.setRangeText("", from, to, "end");
    } else if (data && (type !== "insertText" || filter(field, data))) {
      field.setRangeText(data, field.selectionStart, field.selectionEnd, "end");
    }
  }

  // A caret key, as the field does it: Left and Right collapse a selection to its side or move
  // by one, Home and End go to the ends; with Shift the selection's moving end goes there.
  const caretKeys = { ArrowLeft: -1, ArrowRight: 1, Home: -Infinity, End: Infinity };
  // (No destructuring here: this toolchain's minifier lost the names it bound.)
  function moveCaret(field, step, extend) {
    const start = field.selectionStart, end = field.selectionEnd, length = field.value.length;
    const backward = field.selectionDirection === "backward";
    const anchor = backward ? end : start, moving = backward ? start : end;
    const to = (from) => Math.max(0, Math.min(length, from + step));
    if (extend) {
      const focus = to(moving);
      field.setSelectionRange(Math.min(anchor, focus), Math.max(anchor, focus),
                              focus < anchor ? "backward" : "forward");
    } else {
      const at = start !== end && Math.abs(step) === 1 ? (step < 0 ? start : end) : to(moving);
      field.setSelectionRange(at, at);
    }
  }

  function moveFocus(back) {
    const order = focusOrder();
    const at = order.indexOf(document.activeElement);
    order[(at + (back ? order.length - 1 : 1)) % order.length].focus();
  }

  // A click's handler may wait for a box; the queue holds the player's input meanwhile.
  function click(id) {
    const event = id === "cmdElabora" ? ELABORA_CLICK : CLEAR_CLICK;
    const running = act(() => Module.ccall("stakora_event", "number",
                                           ["number", "number", "number"], [event, 0, 0],
                                           { async: true }));
    if (running instanceof Promise) input.waitFor(running);
  }

  // A key the queue held, to the control that has the focus now.
  function key(name, shift) {
    const target = document.activeElement;
    if (name === "Tab") return moveFocus(shift);
    if (target.tagName === "BUTTON" && (name === "Enter" || name === " ")) return click(target.id);
    if (target.tagName !== "INPUT") return;
    if (name in caretKeys) return moveCaret(target, caretKeys[name], shift);
    const type = { Enter: "insertLineBreak", Backspace: "deleteContentBackward",
                   Delete: "deleteContentForward" }[name] || "insertText";
    edit(target, type, type === "insertText" ? name : null);
  }

  // What the queue held, handed over in order, as the player's own.
  function deliver(action) {
    act(() => {
      if (action.kind === "key") return key(action.key, action.shift);
      const target = action.kind === "edit" ? document.activeElement : byId(action.id);
      if (action.kind === "edit") {
        return target.tagName === "INPUT" ? edit(target, action.type, action.data) : undefined;
      }
      target.focus();
      // A held press on the prize puts the caret where a click beside its text does, at the
      // end, in every engine: where the press fell is not known. (A stake selects its text.)
      const prize = byId("txtPremio");
      if (target === prize) prize.setSelectionRange(prize.value.length, prize.value.length);
      if (action.kind === "click") click(action.id);
    });
  }

  function wireField(field) {
    // Typed text passes the KeyPress filter before the field takes it, so that phone
    // keyboards, which send no key codes, are filtered too; pasting is not filtered.
    field.addEventListener("beforeinput", (e) => {
      if (e.inputType === "insertLineBreak") {
        e.preventDefault(); // a keyboard that sent no usable key for its Enter
        enter(field);
      } else if (e.inputType === "insertText" && e.data && !filter(field, e.data)) {
        e.preventDefault();
      } else if (e.inputType === "deleteContentBackward" && !filter(field, "\b")) {
        e.preventDefault();
      }
    });
    // Enter from the key, once, in every engine: cancelling it also stops the beforeinput
    // that Chromium and Firefox would send for it.
    field.addEventListener("keydown", (e) => {
      if (e.key === "Enter" && !e.isComposing && !e.ctrlKey && !e.altKey && !e.metaKey) {
        e.preventDefault();
        enter(field);
      }
    });
  }

  function wire() {
    // The field that had the focus when the page went to the background: the browser gives it
    // the focus back when the page returns, which does not enter it anew.
    let leftIn = null;
    addEventListener("blur", () => {
      leftIn = document.activeElement;
    });
    wireField(byId("txtPremio"));
    for (let i = 1; ; ++i) {
      const field = byId(`txtPuntata(${i})`);
      if (!field) break;
      wireField(field);
      field.addEventListener("focus", () => {
        const returned = leftIn === field;
        leftIn = null;
        // A focus that the browser gives back while a handler waits (a closing box) is not
        // the user's, and not the program's: it enters nothing.
        if (acting > 0 || input.open()) call(PUNTATA_FOCUS, i, returned ? 1 : 0);
      });
      // The click that brings the focus places the caret after the focus event has selected
      // the text (Firefox, as the button goes down) or collapses the selection as it comes up
      // (WebKit): the field is entered again once the click is done, and its mouseup is not
      // the field's to handle. Later clicks place the caret as usual.
      let entering = false;
      field.addEventListener("mousedown", () => {
        entering = document.activeElement !== field;
      });
      field.addEventListener("mouseup", (e) => {
        if (!entering) return;
        entering = false;
        e.preventDefault();
        if (acting > 0 || input.open()) call(PUNTATA_FOCUS, i, 0);
      });
    }
    for (const id of ["cmdElabora", "cmdClear"]) {
      byId(id).addEventListener("click", () => click(id));
    }
    ownKeyboardWhileOpen(byId("msgbox"));
    // Tab and Shift+Tab go round the window's controls, not out to the browser.
    document.addEventListener("keydown", (e) => {
      if (e.key !== "Tab" || !input.open()) return;
      const order = focusOrder();
      const at = order.indexOf(document.activeElement);
      if (at < 0) return;
      const next = (at + (e.shiftKey ? order.length - 1 : 1)) % order.length;
      if ((next === 0 && !e.shiftKey) || (next === order.length - 1 && e.shiftKey)) {
        e.preventDefault();
        order[next].focus();
      }
    });
  }

  // A desktop's message box: while it is open its button keeps the focus, whatever is pressed in
  // the box; Tab stays there; Enter, Space and Escape close it; nothing reaches the window.
  function ownKeyboardWhileOpen(box) {
    const button = box.querySelector("button");
    document.addEventListener("keydown", (e) => {
      if (!box.open) return;
      e.preventDefault();
      e.stopImmediatePropagation();
      button.focus();
      if (["Enter", " ", "Escape"].includes(e.key) && !e.repeat) box.close();
    }, true);
    box.addEventListener("mousedown", (e) => {
      if (e.target !== button) e.preventDefault();
    });
  }

  // Runs `then` once, after the next frame has painted; a hidden page paints no frames.
  function afterFrame(then) {
    let done = false;
    const once = () => {
      if (!done) {
        done = true;
        then();
      }
    };
    requestAnimationFrame(() => setTimeout(once, 0));
    setTimeout(once, 100);
  }

  // An action the page could not hand over: told in the program's box, then skipped.
  function failed(error) {
    console.error(error);
    const box = byId("msgbox");
    const closed = new Promise((resolve) => box.addEventListener("close", resolve, { once: true }));
    Module.ccall("stakora_report_failure", null, [], []);
    if (box.open) input.waitFor(closed);
  }

  Module.stakoraPage = {
    // At start-up the program puts the focus in the first stake, unless the user is already in
    // another of the window's controls: it is theirs. The markup has put it in the first stake
    // already, before the program could hear of it: the field is entered now all the same.
    focus(id) {
      const active = document.activeElement, control = byId(id);
      if (starting && active !== control && active && active !== document.body &&
          active.closest("#frmAmain")) return;
      act(() => (starting && active === control ? control.dispatchEvent(new FocusEvent("focus"))
                                                : control.focus()));
    },
    queueTab() {
      input.later(() => act(() => moveFocus(false)));  // the program's own Tab
    },
    afterPaint(wakeUp) {
      input.waitFor(new Promise((resolve) => afterFrame(() => {
        resolve();
        act(wakeUp);
      })));
    },
    messageBox(text, title, wakeUp) {
      const box = byId("msgbox");
      const alert = byId("msgbox-alert");
      byId("msgbox-title").textContent = title;
      byId("msgbox-text").textContent = text;
      alert.textContent = "";
      // The outcome of an earlier command is not news: the page's status region would be read
      // again when the box closes and the page comes back.
      byId("announce").textContent = "";
      // The handler goes on once the box is closed, so the focus it sets then stays; and only
      // after the page has painted without the box, so that the browser has told a screen
      // reader of the closed box before it moves the focus (Firefox would otherwise report
      // the caret in the field before the focus, which Orca then leaves unsaid).
      box.addEventListener("close", () => afterFrame(() => act(wakeUp)), { once: true });
      box.showModal();
      // A screen reader moves into a modal box without reading it; the text put into the box's
      // live region once it is open is read, once.
      setTimeout(() => {
        if (box.open) alert.textContent = text;
      }, 150);
    },
  };

  const started = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = () => {
    wire();
    if (started) started();
  };
  addOnPostRun(() => {
    starting = false;
    input.start(deliver, failed);
  });
})();
