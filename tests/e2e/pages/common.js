// Test page driver: runs the scripts the test posts, one at a time, and marks each one done in
// the titles of the page and its frames ("step N"), which the test watches over AT-SPI.
document.title = 'loaded ' + location.search;
(function next() {
  fetch('/command', {cache: 'no-store'})
    .then(async (response) => {
      if (response.status !== 200)
        return setTimeout(next, 20);
      const command = await response.json();
      try {
        (0, eval)(command.script);
      } catch (error) {
        console.error(error);
      }
      // Frames too: each document reaches the accessibility tree on its own.
      for (const doc of [document, ...[...document.querySelectorAll('iframe')].map((f) => f.contentDocument)])
        if (doc)
          doc.title = 'step ' + command.seq;
      await fetch('/done?seq=' + command.seq, {cache: 'no-store'});
      setTimeout(next, 0);
    })
    .catch(() => setTimeout(next, 50));
})();

function element(tag, attributes, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {}))
    node.setAttribute(name, value);
  for (const child of children)
    node.append(child);
  return node;
}

// Unrelated content, as a real client has around its caption area: about `count` nodes of
// lists, links, buttons and text.
function filler(parent, count, label) {
  let made = 0;
  for (let panel = 0; made < count; ++panel) {
    const list = element('ul', {class: 'menu-list'});
    for (let i = 0; i < 8 && made < count; ++i, made += 7)
      list.append(element('li', {class: 'menu-item'},
                          element('a', {href: '#' + label + panel + '_' + i}, 'Item ' + i), ' ',
                          element('span', {class: 'hint'}, 'detail ' + i), ' ',
                          element('button', {class: 'btn'}, 'Open')));
    parent.append(element('section', {'aria-label': label + ' ' + panel}, list));
    made += 2;
  }
}
