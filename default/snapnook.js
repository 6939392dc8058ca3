// The modern album's viewer. A picture's link opens its large copy over the page, with
// Previous, Next and Close, the arrow keys, Escape and swipe. The address's "#" names the open
// picture ("#p12"), so a link to it opens it and Back closes it; past a page's last picture
// Next goes on to the next page's first (the page's <link rel="next">), Previous the other way.
// Without this script each link opens the large copy itself.
"use strict";
(() => {
  const links = [...document.querySelectorAll(".grid a")];
  if (!links.length) return;
  const at = new Map(links.map((link, i) => [link.id, i]));

  const dialog = document.createElement("dialog");
  dialog.className = "viewer";
  dialog.setAttribute("aria-labelledby", "viewer-text");
  dialog.innerHTML = '<img alt=""><p id="viewer-text"></p><div>' +
      '<button type="button" data-step="-1">Previous</button>' +
      '<button type="button" data-step="1" autofocus>Next</button>' +
      '<button type="button" data-step="0">Close</button></div>';
  document.body.append(dialog);
  const picture = dialog.querySelector("img");
  const text = dialog.querySelector("p");
  const buttons = dialog.querySelectorAll("button");

  let current = 0;
  // Whether opening the picture added the history entry that closing it takes back.
  let pushed = false;

  // Where a step leaves this page: the neighbouring page's address with its picture's anchor.
  const beyond = (step) => {
    const page = document.querySelector(`link[rel=${step > 0 ? "next" : "prev"}]`);
    const number = Number(links[step > 0 ? links.length - 1 : 0].id.slice(1)) + step;
    return page && `${page.getAttribute("href")}#p${number}`;
  };
  const show = (i) => {
    current = i;
    const thumbnail = links[i].querySelector("img");
    picture.src = links[i].href;
    picture.alt = text.textContent = thumbnail.alt;
    for (const button of buttons) {
      const step = Number(button.dataset.step);
      const none = step && !links[i + step] && !beyond(step);
      button.setAttribute("aria-disabled", none ? "true" : "false");
    }
    if (!dialog.open) dialog.showModal();
    // A page opened at a picture's address gets no focus of its own.
    if (!dialog.contains(document.activeElement)) buttons[1].focus();
  };
  const go = (step) => {
    if (links[current + step]) {
      history.replaceState(history.state, "", `#${links[current + step].id}`);
      show(current + step);
    } else if (beyond(step)) {
      // Replaced, not added: Back still leaves the viewer.
      location.replace(beyond(step));
    }
  };
  const fromAddress = () => {
    const i = at.get(location.hash.slice(1));
    if (i !== undefined) {
      show(i);
    } else if (dialog.open) {
      // Back: the entry the click added is gone already.
      pushed = false;
      dialog.close();
    }
  };

  for (const link of links) {
    link.addEventListener("click", (event) => {
      if (event.button || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey) return;
      event.preventDefault();
      pushed = true;
      location.hash = link.id;
    });
  }
  for (const button of buttons) {
    button.addEventListener("click", () => {
      const step = Number(button.dataset.step);
      step ? go(step) : dialog.close();
    });
  }
  document.addEventListener("keydown", (event) => {
    const step = { ArrowLeft: -1, ArrowRight: 1 }[event.key];
    if (!dialog.open || !step || event.altKey || event.ctrlKey || event.metaKey) return;
    event.preventDefault();
    go(step);
  });
  // A click beside the picture closes it.
  dialog.addEventListener("click", (event) => event.target === dialog && dialog.close());
  let touch = null;
  dialog.addEventListener("touchstart", (event) => {
    touch = event.touches.length === 1 ? [event.touches[0].clientX, event.touches[0].clientY] : null;
  }, { passive: true });
  dialog.addEventListener("touchend", (event) => {
    if (!touch) return;
    const dx = event.changedTouches[0].clientX - touch[0];
    const dy = event.changedTouches[0].clientY - touch[1];
    touch = null;
    if (Math.abs(dx) > 40 && Math.abs(dx) > 2 * Math.abs(dy)) go(dx < 0 ? 1 : -1);
  });
  // However the viewer closes (Close, Escape, Back), the address no longer names the picture
  // and the focus is on the picture's link.
  dialog.addEventListener("close", () => {
    // The event comes after the closing: a picture opened since then stays open.
    if (dialog.open) return;
    if (at.has(location.hash.slice(1))) {
      if (pushed) {
        history.back();
      } else {
        history.replaceState(history.state, "", location.pathname + location.search);
      }
    }
    pushed = false;
    picture.removeAttribute("src");
    links[current].focus();
  });
  addEventListener("hashchange", fromAddress);
  fromAddress();
})();
