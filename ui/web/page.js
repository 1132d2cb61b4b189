// The page's side of the window: the player's actions to the handlers (stakora_event), the
// queued Tab, waiting for a paint, and the modal message box. Linked after the program
// (--post-js). Every key, edit and press that the window answers comes here as an action from
// the input queue (input_queue.js), at once or held, and is done by deliver(), one way in every
// engine: the page, not the browser, edits a field, as a desktop text box does (the KeyPress
// filter, the caret keys, the selection), so a key held while the program loads does what the
// same key does live.
(function () {
  const ELABORA_CLICK = 0, CLEAR_CLICK = 1, PREMIO_KEY = 2, PUNTATA_FOCUS = 3, PUNTATA_KEY = 4;
  const ENTER = 13, BACKSPACE = 8;
  const BOX_LEAVES_AFTER_MS = 1000;
  let boxesShown = 0;
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

  // The caret is the selection's moving end.
  const caret = (field) => (field.selectionDirection === "backward" ? field.selectionStart
                                                                    : field.selectionEnd);
  const anchor = (field) => (field.selectionDirection === "backward" ? field.selectionEnd
                                                                     : field.selectionStart);
  function select(field, from, to) {
    field.setSelectionRange(Math.min(from, to), Math.max(from, to),
                            to < from ? "backward" : "forward");
  }

  // Text in place of the selection, the caret after it.
  function replace(field, text) {
    field.setRangeText(text, field.selectionStart, field.selectionEnd, "end");
  }

  // Where a word step from `at` lands: over a run of separators or of other characters, then
  // over the blanks after it; backwards the other way round. (A desktop field's separators.)
  const separator = (c) => /[.,?!@#$:;\-<>[\](){}=/+%&^*'"`~|\\]/.test(c);
  const blank = (c) => /\s/.test(c);
  function wordStep(text, at, forward) {
    if (forward) {
      const kind = separator(text[at]);
      while (at < text.length && !blank(text[at]) && separator(text[at]) === kind) ++at;
      while (at < text.length && blank(text[at])) ++at;
    } else {
      while (at > 0 && blank(text[at - 1])) --at;
      const kind = separator(text[at - 1]);
      while (at > 0 && !blank(text[at - 1]) && separator(text[at - 1]) === kind) --at;
    }
    return at;
  }

  // The caret keys: Left and Right end a selection at its side, or move by a character (by a
  // word with Ctrl); Home and End go to the ends; with Shift the caret extends the selection.
  function moveCaret(field, key, extend, word) {
    const text = field.value, from = caret(field), forward = key === "ArrowRight";
    if (!extend && !word && field.selectionStart !== field.selectionEnd &&
        (key === "ArrowLeft" || key === "ArrowRight")) {
      const side = forward ? field.selectionEnd : field.selectionStart;
      return select(field, side, side);
    }
    let to = key === "Home" ? 0 : key === "End" ? text.length : from;
    if (key === "ArrowLeft" || key === "ArrowRight") {
      const step = Math.max(0, Math.min(text.length, from + (forward ? 1 : -1)));
      to = word ? wordStep(text, from, forward) : step;
    }
    select(field, extend ? anchor(field) : to, to);
  }

  function moveFocus(back) {
    const order = focusOrder();
    // From none of them (-1), forward is the first, back the last.
    const at = Math.max(order.indexOf(document.activeElement), back ? 0 : -1);
    const next = order[(at + (back ? order.length - 1 : 1)) % order.length];
    next.focus();
    // Entered by Tab, a field selects its whole text, as a desktop's does.
    if (next.tagName === "INPUT") select(next, 0, next.value.length);
  }

  // A click's handler may wait for a box; the queue holds the player's input meanwhile.
  function click(id) {
    const event = id === "cmdElabora" ? ELABORA_CLICK : CLEAR_CLICK;
    const running = act(() => Module.ccall("stakora_event", "number",
                                           ["number", "number", "number"], [event, 0, 0],
                                           { async: true }));
    if (running instanceof Promise) input.waitFor(running);
  }

  // A key, to the control that has the focus now. (No destructuring here: this toolchain's
  // minifier loses the names it binds.)
  function key(action) {
    const name = action.key, shift = action.shift, command = action.command, alt = action.alt;
    const target = document.activeElement;
    if (name === "Tab") return command || alt ? undefined : moveFocus(shift);
    if (target.tagName === "BUTTON") {
      // Enter presses a button alone, Space with Shift too, as the desktop's buttons do.
      if ((name === " " || (name === "Enter" && !shift)) && !command && !alt) {
        return click(target.id);
      }
      // The arrows go round the controls from a button, as Tab does.
      if (name.startsWith("Arrow")) return moveFocus(name === "ArrowLeft" || name === "ArrowUp");
      return undefined;
    }
    if (target.tagName !== "INPUT" || alt) return undefined;
    if (["ArrowLeft", "ArrowRight", "Home", "End"].includes(name)) {
      return moveCaret(target, name, shift, command);
    }
    if (command) return undefined; // no shortcuts, no word deletion
    if (name === "Enter") return filter(target, String.fromCharCode(ENTER));
    if (name === "Backspace") {
      if (filter(target, String.fromCharCode(BACKSPACE))) {
        if (target.selectionStart === target.selectionEnd && target.selectionStart > 0) {
          target.setSelectionRange(target.selectionStart - 1, target.selectionStart);
        }
        replace(target, "");
      }
      return undefined;
    }
    if (name === "Delete") {
      if (target.selectionStart === target.selectionEnd && !shift) {
        target.setSelectionRange(target.selectionStart, target.selectionStart + 1);
      } else if (shift && target.selectionStart !== target.selectionEnd) {
        // Shift+Delete cuts, as in a desktop field.
        const cut = target.value.slice(target.selectionStart, target.selectionEnd);
        if (navigator.clipboard) navigator.clipboard.writeText(cut).catch(() => {});
      }
      return replace(target, "");
    }
    if (Array.from(name).length === 1 && filter(target, name)) replace(target, name);
    return undefined;
  }

  // An edit with no key of its own: typed text through the filter, pasted text as it is.
  function edit(field, type, data) {
    if (type === "deleteByCut") replace(field, "");
    else if (data && (type === "insertFromPaste" || filter(field, data))) replace(field, data);
  }

  // Where a press at (x, y) puts the caret in a field: where the browser says, or else where the
  // field's text, as drawn, reaches.
  function offsetAt(field, x, y) {
    const position = document.caretPositionFromPoint ? document.caretPositionFromPoint(x, y) : null;
    if (position && position.offsetNode === field) return position.offset;
    const style = getComputedStyle(field);
    const measure = document.createElement("canvas").getContext("2d");
    measure.font = style.font;
    const box = field.getBoundingClientRect();
    const inner = box.width - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight) -
                  parseFloat(style.borderLeftWidth) - parseFloat(style.borderRightWidth);
    const left = box.left + parseFloat(style.paddingLeft) + parseFloat(style.borderLeftWidth) +
                 Math.max(0, inner - measure.measureText(field.value).width) / 2; // centred
    let best = 0;
    for (let i = 1; i <= field.value.length; ++i) {
      const edge = left + measure.measureText(field.value.slice(0, i)).width;
      const before = left + measure.measureText(field.value.slice(0, best)).width;
      if (Math.abs(edge - x) < Math.abs(before - x)) best = i;
    }
    return best;
  }

  // A press held while the program could not take it: the button is pressed; the field takes
  // the focus, and the caret goes where the press fell, unless the field is a stake that the
  // press enters, which selects its whole text.
  function press(action) {
    const id = action.id, control = byId(id);
    const entering = document.activeElement !== control && keyEventOf(control)[0] === PUNTATA_KEY;
    control.focus();
    if (control.tagName === "BUTTON") return click(id);
    if (!entering) {
      const at = offsetAt(control, action.x, action.y);
      select(control, at, at);
    }
    return undefined;
  }

  // Every action of the player's, live or held.
  function deliver(action) {
    act(() => {
      if (action.kind === "key") return key(action);
      if (action.kind === "press") return press(action);
      const field = document.activeElement;
      return field.tagName === "INPUT" ? edit(field, action.type, action.data) : undefined;
    });
  }

  function wire() {
    // The field that had the focus when the page went to the background: the browser gives it
    // the focus back when the page returns, which does not enter it anew.
    let leftIn = null;
    addEventListener("blur", () => {
      leftIn = document.activeElement;
    });
    for (const field of document.querySelectorAll("#frmAmain input")) {
      // A field the focus leaves for another control keeps its caret, not its selection, as a
      // desktop field does (leaving with the window, or for the box, it keeps both).
      field.addEventListener("blur", (e) => {
        if (e.relatedTarget && byId("frmAmain").contains(e.relatedTarget)) {
          const at = caret(field);
          field.setSelectionRange(at, at);
        }
      });
    }
    for (let i = 1; ; ++i) {
      const field = byId(`txtPuntata(${i})`);
      if (!field) break;
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
    byId("msgbox").addEventListener("mousedown", (e) => {
      if (e.target.tagName !== "BUTTON") e.preventDefault(); // the box keeps its button focused
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
    // another of the window's controls (it is theirs) or the page has been brought back as it
    // was left. The markup has put it in the first stake already, before the program could
    // hear of it: the field is entered now all the same.
    focus(id) {
      const active = document.activeElement, control = byId(id);
      if (starting && (window.stakoraBroughtBack || (active !== control && active &&
                                                     active !== document.body &&
                                                     active.closest("#frmAmain")))) return;
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
      // The box is modal as a desktop's: the rest of the page is inert while it is open. It is
      // not the browser's modal dialog, whose closing takes the box, with the focus in it, out
      // of the page at once: a screen reader whose focus is in a box that leaves the page moves
      // it, without a word, to wherever the caret is by then, so the field the handler enters
      // next would go unsaid (Orca in Firefox). Here the focus leaves the box first; the box,
      // closed but still in the page, unseen ("leaving"), goes a while after the handler has
      // moved the focus: Firefox tells of a focus some frames late when the page has just
      // changed, and a screen reader has to have followed it out of the box by then.
      const shown = ++boxesShown;
      const before = document.activeElement;
      const rest = Array.from(document.body.children).filter((element) => element !== box);
      for (const element of rest) element.inert = true;
      // Closed, however it was, the box gives the focus back at once, before the next key.
      const closing = new MutationObserver(() => {
        if (box.open) return;
        closing.disconnect();
        for (const element of rest) element.inert = false;
        const active = document.activeElement;
        if (before && (!active || active === document.body || box.contains(active))) before.focus();
      });
      closing.observe(box, { attributes: true, attributeFilter: ["open"] });
      box.addEventListener("close", () => {
        // The handler goes on once the box is closed, so the focus it sets then stays.
        afterFrame(() => {
          act(wakeUp);
          setTimeout(() => {
            if (boxesShown === shown && !box.open) box.classList.remove("leaving");
          }, BOX_LEAVES_AFTER_MS);
        });
      }, { once: true });
      box.classList.add("leaving");
      box.show();
      box.querySelector("button").focus();
      input.boxOpened();
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
