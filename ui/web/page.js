// The page's side of the window: the DOM's events to the handlers (stakora_event), the queued
// Tab, waiting for a paint, and the modal message box. Linked after the program (--post-js).
(function () {
  const ELABORA_CLICK = 0, CLEAR_CLICK = 1, PREMIO_KEY = 2, PUNTATA_FOCUS = 3, PUNTATA_KEY = 4;
  // While a handler waits for a paint or a box, no other handler may run.
  let waiting = false;

  const byId = (id) => document.getElementById(id);
  const focusOrder = () =>
    Array.from(document.querySelectorAll("#frmAmain [tabindex]"))
      .filter((e) => e.tabIndex > 0)
      .sort((a, b) => a.tabIndex - b.tabIndex);
  const call = (event, index, code) =>
    Module.ccall("stakora_event", "number", ["number", "number", "number"], [event, index, code]);

  // Typed characters pass the KeyPress filter first, from beforeinput, so that phone keyboards,
  // which send no key codes, are filtered too; pasting and dropping are not filtered.
  function filterTyping(field, keyEvent, index) {
    field.addEventListener("beforeinput", (e) => {
      if (waiting) {
        e.preventDefault();
        return;
      }
      let codes;
      if (e.inputType === "insertText" && e.data) {
        codes = Array.from(e.data, (c) => c.codePointAt(0));
      } else if (e.inputType === "insertLineBreak") {
        codes = [13];
      } else if (e.inputType === "deleteContentBackward") {
        codes = [8];
      } else {
        return;
      }
      for (const code of codes) {
        const passed = call(keyEvent, index, code);
        if (passed === 0 || code === 13) {
          e.preventDefault(); // a single-line field takes no Enter
          if (passed === 0) return;
        }
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
    filterTyping(byId("txtPremio"), PREMIO_KEY, 0);
    for (let i = 1; ; ++i) {
      const field = byId(`txtPuntata(${i})`);
      if (!field) break;
      filterTyping(field, PUNTATA_KEY, i);
      field.addEventListener("focus", () => {
        const returned = leftIn === field;
        leftIn = null;
        if (!waiting) call(PUNTATA_FOCUS, i, returned ? 1 : 0);
      });
    }
    const clicks = { cmdElabora: ELABORA_CLICK, cmdClear: CLEAR_CLICK };
    Object.keys(clicks).forEach((id) => {
      byId(id).addEventListener("click", () => {
        if (waiting) return;
        Module.ccall("stakora_event", "number", ["number", "number", "number"], [clicks[id], 0, 0], {
          async: true,
        });
      });
    });
    // Tab and Shift+Tab go round the window's controls, not out to the browser.
    document.addEventListener("keydown", (e) => {
      if (e.key !== "Tab" || waiting) return;
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
    queueTab() {
      setTimeout(() => {
        const order = focusOrder();
        const at = order.indexOf(document.activeElement);
        order[(at + 1) % order.length].focus();
      }, 0);
    },
    afterPaint(wakeUp) {
      waiting = true;
      let done = false;
      const resume = () => {
        if (done) return;
        done = true;
        waiting = false;
        wakeUp();
      };
      // The frame after this one has painted the cell; a hidden page paints no frames.
      requestAnimationFrame(() => setTimeout(resume, 0));
      setTimeout(resume, 100);
    },
    messageBox(text, title, wakeUp) {
      waiting = true;
      const box = byId("msgbox");
      byId("msgbox-title").textContent = title;
      byId("msgbox-text").textContent = text;
      box.addEventListener(
        "close",
        () => {
          waiting = false;
          wakeUp(); // the handler goes on here, so the focus it sets is not undone
        },
        { once: true }
      );
      box.showModal();
    },
  };

  const started = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = () => {
    wire();
    if (started) started();
  };
})();
