// The page's first script, run as soon as the window's markup is there and long before the
// program has loaded: it scales the window to the screen, registers the service worker, and
// holds the user's input back until the program can take it.
(function () {
  "use strict";

  // The designed window scales down to fit a screen shorter or narrower than itself; the touch
  // form (the stylesheet's --form) fills the width and is never scaled.
  const stage = document.getElementById("stage");
  const frame = stage.firstElementChild;
  const fit = () => {
    frame.style.transform = "";
    if (getComputedStyle(frame).getPropertyValue("--form").trim() !== "desktop") {
      stage.style.width = stage.style.height = "";
      return;
    }
    const width = frame.offsetWidth, height = frame.offsetHeight;
    const scale = Math.min(1, document.documentElement.clientWidth / width,
                           window.innerHeight / height);
    frame.style.transform = scale < 1 ? `scale(${scale})` : "";
    stage.style.width = `${width * scale}px`;
    stage.style.height = `${height * scale}px`;
  };
  fit();
  addEventListener("resize", fit);

  if ("serviceWorker" in navigator) {
    navigator.serviceWorker.register("sw.js");
  }

  // The gate between the user and the program. Until the program has taken the window over,
  // and while one of its handlers waits for a paint or a box, what the user does to the window
  // is held back, in order, and handed to the program afterwards, as a desktop window queues
  // its input: nothing is lost, and no typed character escapes the key filters. Before the
  // program is there the user may still move between the fields; while a handler runs, a press
  // on a control takes effect only once it is done.
  const root = frame;
  const held = [];
  let deliver = null; // the program's hand, once it has taken over
  let busy = false; // a handler is running, waiting for a paint or a box
  let inProgram = 0; // the program itself is acting: its own focus moves go through
  // Held while anything is still held, too: the order is the user's.
  const gated = () => inProgram === 0 && (deliver === null || busy || held.length > 0);
  const controlOf = (target) =>
    target instanceof Element && root.contains(target) ? target.closest("input, button") : null;

  document.addEventListener("beforeinput", (e) => {
    const field = controlOf(e.target);
    if (!field || !gated()) return;
    e.preventDefault();
    // A paste's text comes in dataTransfer, not data.
    const data = e.data ?? (e.dataTransfer ? e.dataTransfer.getData("text/plain") : null);
    held.push({ kind: "input", id: field.id, type: e.inputType, data });
  }, true);
  // While a handler runs, keys are held as keys: they go where the focus is once it is done,
  // as a desktop window's queued keys do. (Before the program is there the browser moves the
  // focus, and typing is held from beforeinput, with the field it was typed in.)
  const heldKeys = new Set(["Tab", "Enter", "Backspace", "Delete"]);
  document.addEventListener("keydown", (e) => {
    if (deliver === null || !gated() || e.ctrlKey || e.altKey || e.metaKey) return;
    if (!heldKeys.has(e.key) && Array.from(e.key).length !== 1) return;
    if (!controlOf(document.activeElement)) return; // a box's own keys are the box's
    e.preventDefault();
    held.push({ kind: "key", key: e.key, back: e.shiftKey });
  }, true);
  document.addEventListener("mousedown", (e) => {
    const target = controlOf(e.target);
    if (!target || deliver === null || !gated()) return;
    e.preventDefault(); // the focus stays until the handler is done
    held.push({ kind: "focus", id: target.id });
  }, true);
  document.addEventListener("click", (e) => {
    const target = controlOf(e.target);
    if (!target || target.tagName !== "BUTTON" || !gated()) return;
    e.preventDefault();
    e.stopImmediatePropagation();
    held.push({ kind: "click", id: target.id });
  }, true);

  // One held action at a time, each in a task of its own, so that what one queues (a Tab after
  // Enter) happens before the next. What an action sets off at once (a focus event) is part of
  // it and goes straight to the program.
  function drain() {
    if (held.length === 0 || deliver === null || busy) return;
    const action = held.shift();
    window.stakoraGate.program(() => deliver(action));
    setTimeout(drain, 0);
  }

  window.stakoraGate = {
    // The program takes the window over; what was held is handed to it now.
    takeOver(hand) {
      deliver = hand;
      drain();
    },
    // Whether the user's events reach the program now.
    open: () => !gated(),
    // Runs the program's own code: the focus it moves is its own, not the user's.
    program(code) {
      ++inProgram;
      try {
        return code();
      } finally {
        --inProgram;
      }
    },
    setBusy(running) {
      busy = running;
      if (!running) setTimeout(drain, 0);
    },
  };
})();
