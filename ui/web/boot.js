// The page's start-up, run as soon as the window's markup is there and long before the program
// has loaded: it scales the window to the screen, gives back the fields' texts across a reload,
// says so when the program cannot start, and registers the service worker, offering a new
// version when one is ready. (The player's input waits in the input queue meanwhile.)
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

  const fields = () => Array.from(document.querySelectorAll("#frmAmain input"));

  // A page loaded again on the player's word (to try again, or to update) gets the texts the
  // fields had: nothing typed is lost.
  const CARRIED = "stakora-fields";
  function reloadKeepingFields() {
    try {
      sessionStorage.setItem(CARRIED, JSON.stringify(fields().map((f) => [f.id, f.value])));
    } catch (error) {
      // No storage (a private window that refuses it): the page reloads all the same.
    }
    location.reload();
  }
  try {
    const carried = sessionStorage.getItem(CARRIED);
    sessionStorage.removeItem(CARRIED);
    for (const [id, value] of carried ? JSON.parse(carried) : []) {
      const field = document.getElementById(id);
      if (field && field.tagName === "INPUT") field.value = String(value);
    }
  } catch (error) {
    // Nothing carried, or nothing readable: the fields keep what the page has.
  }

  // Back and forward: a page brought back shows what it showed when it was left, its focus and
  // caret too (Firefox selects a field's text on the way); one loaded again instead (a page the
  // browser does not keep) gets the same from the session. WebKit empties a field that takes no
  // autocompletion when it brings the page back, at a moment of its own: the fields take it
  // while the page is away, and so keep their texts and carets.
  const LEFT = "stakora-left";
  let left = null;
  addEventListener("pagehide", () => {
    for (const field of fields()) field.autocomplete = "on";
    const active = document.activeElement;
    left = {
      fields: fields().map((f) => [f.id, f.value]),
      cells: Array.from(document.querySelectorAll("#frmAmain .cell"), (c) => [c.id, c.textContent]),
      focus: active && active.closest("#frmAmain") ? active.id : null,
      caret: active && active.tagName === "INPUT"
        ? [active.selectionStart, active.selectionEnd, active.selectionDirection] : null,
    };
    try {
      sessionStorage.setItem(LEFT, JSON.stringify(left));
    } catch (error) {
      // No storage: a page the browser keeps is still brought back whole.
    }
  });
  function bringBack(state) {
    window.stakoraBroughtBack = true; // the program, starting, leaves the focus where it is
    for (const [id, text] of [...state.fields, ...state.cells]) {
      const control = document.getElementById(id);
      if (control && control.tagName === "INPUT") control.value = text;
      else if (control) control.textContent = text;
    }
    const focus = state.focus && document.getElementById(state.focus);
    if (!focus) return;
    focus.focus();
    if (state.caret) focus.setSelectionRange(...state.caret);
  }
  addEventListener("pageshow", (e) => {
    for (const field of fields()) field.autocomplete = "off";
    const state = left;
    if (e.persisted && state) setTimeout(() => bringBack(state), 0);
  });
  try {
    const navigation = performance.getEntriesByType("navigation")[0];
    const saved = navigation && navigation.type === "back_forward" && sessionStorage.getItem(LEFT);
    if (saved) bringBack(JSON.parse(saved));
  } catch (error) {
    // Nothing kept, or nothing readable: the page starts as new.
  }

  // A bar outside the window: its text, and a button that reloads the page.
  function offer(id, text, button) {
    const bar = document.getElementById(id);
    bar.querySelector(".text").textContent = text;
    const action = bar.querySelector("button");
    action.textContent = button;
    bar.hidden = false;
    return action;
  }

  // The program could not be fetched, compiled or started: the page says so at once, and what
  // the player has typed stays in the fields, unfiltered, to be filtered by the next start.
  let failed = false;
  function cannotStart() {
    if (failed) return;
    failed = true;
    window.stakoraInput.abandon((action) => {
      const target = document.activeElement;
      if (action.kind === "press") document.getElementById(action.id).focus();
      else if (action.kind === "key" && (action.key === "Tab" || action.key === "Enter")) {
        const order = Array.from(document.querySelectorAll("#frmAmain input, #frmAmain button"));
        const at = order.indexOf(target);
        order[(at + (action.shift ? order.length - 1 : 1)) % order.length].focus();
      } else if (target.tagName === "INPUT" && (action.kind === "edit" ||
                                                 (action.key.length === 1 && !action.command))) {
        const text = action.kind === "key" ? action.key : action.data || "";
        target.setRangeText(text, target.selectionStart, target.selectionEnd, "end");
      }
    });
    offer("startup-failure", "Stakora non è riuscito ad avviarsi. Controllare la connessione " +
          "e riprovare: i dati inseriti restano.", "Riprova")
      .addEventListener("click", reloadKeepingFields);
  }
  // The loader runs with this as its Module: an abort (a module that cannot be fetched or
  // compiled) comes here; a loader that cannot be fetched at all fails as a script.
  window.Module = { onAbort: cannotStart };
  addEventListener("error", (e) => {
    if (e.target instanceof HTMLScriptElement) cannotStart();
  }, true);

  // Updates: a new version stored whole while this page is open is offered, and taken over on
  // the player's word, the page then loading again with the fields' texts. Ignored, it takes
  // over at the next load once no page of this version is open.
  if ("serviceWorker" in navigator) {
    let updating = false;
    navigator.serviceWorker.addEventListener("controllerchange", () => {
      if (updating) reloadKeepingFields();
    });
    navigator.serviceWorker.register("sw.js").then((registration) => {
      const offerUpdate = () => {
        // A version waiting to replace this registration's own active one: the page may be
        // controlled by the worker of another registration (a site at an enclosing path).
        if (!registration.waiting || !registration.active) return;
        offer("update", "È disponibile una nuova versione.", "Aggiorna").onclick = () => {
          updating = true;
          registration.waiting.postMessage("take over");
        };
      };
      offerUpdate();
      registration.addEventListener("updatefound", () => {
        const worker = registration.installing;
        if (worker) worker.addEventListener("statechange", offerUpdate);
      });
      // A page left open for days asks again whenever the player comes back to it.
      document.addEventListener("visibilitychange", () => {
        if (document.visibilityState === "visible") registration.update().catch(() => {});
      });
    }).catch(() => {
      // No worker (a private window, plain HTTP): the page works online all the same.
    });
  }
})();
