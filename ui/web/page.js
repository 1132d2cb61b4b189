// The page's side of the window: the DOM's events to the handlers (stakora_event), the queued
// Tab, waiting for a paint, and the modal message box. Linked after the program (--post-js);
// the user's input reaches it through the gate of boot.js, which holds it back while the
// program cannot take it and hands it over afterwards.
(function () {
  const ELABORA_CLICK = 0, CLEAR_CLICK = 1, PREMIO_KEY = 2, PUNTATA_FOCUS = 3, PUNTATA_KEY = 4;
  const gate = window.stakoraGate;
  let starting = true; // the program is starting: the user may already be in a field

  const byId = (id) => document.getElementById(id);
  // The markup is written in the design's tab order.
  const focusOrder = () => Array.from(document.querySelectorAll("#frmAmain input, #frmAmain button"));
  const call = (event, index, code) =>
    gate.program(() =>
      Module.ccall("stakora_event", "number", ["number", "number", "number"], [event, index, code]));

  // What a field's KeyPress handler is called with, and for which stake.
  function keyEventOf(field) {
    const row = /^txtPuntata\((\d+)\)$/.exec(field.id);
    return row ? [PUNTATA_KEY, Number(row[1])] : [PREMIO_KEY, 0];
  }

  // The character codes of an edit that the KeyPress filter judges; null for edits it does not
  // judge (pasting and dropping).
  function codesOf(inputType, data) {
    if (inputType === "insertText" && data) return Array.from(data, (c) => c.codePointAt(0));
    if (inputType === "insertLineBreak") return [13];
    if (inputType === "deleteContentBackward") return [8];
    return null;
  }

  // Every character must pass, or none is typed; Enter is the handler's and types nothing.
  function filter(field, codes) {
    const [keyEvent, index] = keyEventOf(field);
    for (const code of codes) {
      if (call(keyEvent, index, code) === 0) return false;
    }
    return !codes.includes(13);
  }

  // Typed characters pass the KeyPress filter first, from beforeinput, so that phone keyboards,
  // which send no key codes, are filtered too; pasting and dropping are not filtered.
  function filterTyping(field) {
    field.addEventListener("beforeinput", (e) => {
      const codes = codesOf(e.inputType, e.data);
      if (codes !== null && !filter(field, codes)) e.preventDefault();
    });
  }

  // An edit made now as the field would have made it, once the filter lets it through.
  function edit(field, type, data) {
    const codes = codesOf(type, data);
    if (codes !== null && !filter(field, codes)) return false;
    const start = field.selectionStart, end = field.selectionEnd;
    if (type === "deleteContentBackward" || type === "deleteContentForward") {
      const [from, to] = start !== end ? [start, end]
        : type === "deleteContentBackward" ? [Math.max(0, start - 1), start] : [start, end + 1];
      field.setRangeText("", from, to, "end");
    } else if (data) {
      field.setRangeText(data, start, end, "end");
    }
    return true;
  }

  // Typing held before the program was there, into the field it was typed in.
  const movedOn = new Map(); // a field left by a held Enter: where the later keys go
  function replayInput(action) {
    let id = action.id;
    while (movedOn.has(id)) id = movedOn.get(id);
    const field = byId(id);
    edit(field, action.type, action.data);
    if (action.type === "insertLineBreak") {
      // The Tab the handler queued has run by the next action; remember where it went.
      setTimeout(() => {
        if (document.activeElement !== field) movedOn.set(id, document.activeElement.id);
      }, 0);
    }
  }

  // A key held while a handler ran, to wherever the focus is now.
  function replayKey(action) {
    const target = document.activeElement;
    if (action.key === "Tab") {
      moveFocus(action.back);
    } else if (target.tagName === "BUTTON") {
      if (action.key === "Enter" || action.key === " ") click(target.id);
    } else if (target.tagName === "INPUT") {
      const type = { Enter: "insertLineBreak", Backspace: "deleteContentBackward",
                     Delete: "deleteContentForward" }[action.key] || "insertText";
      edit(target, type, type === "insertText" ? action.key : null);
    }
  }

  function moveFocus(back) {
    const order = focusOrder();
    const at = order.indexOf(document.activeElement);
    order[(at + (back ? order.length - 1 : 1)) % order.length].focus();
  }

  function click(id) {
    gate.setBusy(true);
    const event = id === "cmdElabora" ? ELABORA_CLICK : CLEAR_CLICK;
    Promise.resolve(
      gate.program(() =>
        Module.ccall("stakora_event", "number", ["number", "number", "number"], [event, 0, 0], {
          async: true,
        }))
    ).finally(() => gate.setBusy(false));
  }

  // What the gate held back, handed over in order.
  function deliver(action) {
    if (action.kind === "input") replayInput(action);
    else if (action.kind === "key") replayKey(action);
    else if (action.kind === "focus") byId(action.id).focus();
    else if (action.kind === "click") click(action.id);
  }

  function wire() {
    // The field that had the focus when the page went to the background: the browser gives it
    // the focus back when the page returns, which does not enter it anew.
    let leftIn = null;
    addEventListener("blur", () => {
      leftIn = document.activeElement;
    });
    filterTyping(byId("txtPremio"));
    for (let i = 1; ; ++i) {
      const field = byId(`txtPuntata(${i})`);
      if (!field) break;
      filterTyping(field);
      field.addEventListener("focus", () => {
        const returned = leftIn === field;
        leftIn = null;
        // A focus that the browser gives back while a handler waits (a closing box) is not
        // the user's, and not the program's: it enters nothing.
        if (gate.open()) call(PUNTATA_FOCUS, i, returned ? 1 : 0);
      });
    }
    for (const id of ["cmdElabora", "cmdClear"]) {
      byId(id).addEventListener("click", () => click(id));
    }
    // Tab and Shift+Tab go round the window's controls, not out to the browser.
    document.addEventListener("keydown", (e) => {
      if (e.key !== "Tab" || !gate.open()) return;
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

  Module.stakoraPage = {
    // At start-up the program puts the focus in the first stake, unless the user is already in
    // one of the window's controls: it is theirs.
    focus(id) {
      const active = document.activeElement;
      if (starting && active && active !== document.body && active.closest("#frmAmain")) return;
      gate.program(() => byId(id).focus());
    },
    queueTab() {
      setTimeout(() => moveFocus(false), 0);
    },
    afterPaint(wakeUp) {
      let done = false;
      const resume = () => {
        if (done) return;
        done = true;
        gate.program(wakeUp);
      };
      // The frame after this one has painted the cell; a hidden page paints no frames.
      requestAnimationFrame(() => setTimeout(resume, 0));
      setTimeout(resume, 100);
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
      box.addEventListener(
        "close",
        () => gate.program(wakeUp), // the handler goes on here, so the focus it sets stays
        { once: true }
      );
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
    gate.takeOver(deliver);
  });
})();
