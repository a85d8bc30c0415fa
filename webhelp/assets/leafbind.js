// The web help's script, the same on every page: fills the side panel with the contents and the index, lists the
// topics a search finds, opens the topic of a help ID and marks the words searched for on the topic opened. The
// book's data come as scripts (_web/book.js, _web/search.js, _web/text/N.js): a page opened from disk may load a
// script beside it but may not read a file.
(function () {
    'use strict';
    var book = window.LB_BOOK || { title: '', home: 'index.html', toc: [], keys: [], ids: {} };
    var main = document.getElementById('lb-main');
    var side = document.getElementById('lb-side');

    function element(tag, attributes, text) {
        var made = document.createElement(tag);
        for (var name in attributes || {})
            made.setAttribute(name, attributes[name]);
        if (text !== undefined)
            made.textContent = text;
        return made;
    }

    // What is typed is broken up as webhelp/SearchWords.cpp breaks the pages: words of letters and digits with
    // their case folded, and runs of Chinese, Japanese and Korean characters.
    var cjkRanges = [[0x3040, 0x30FF], [0x3100, 0x312F], [0x3400, 0x4DBF], [0x4E00, 0x9FFF], [0xAC00, 0xD7AF],
        [0x1100, 0x11FF], [0xF900, 0xFAFF], [0xFF66, 0xFF9F], [0x20000, 0x3FFFF]];
    function isCjk(c) {
        return cjkRanges.some(function (range) { return c >= range[0] && c <= range[1]; });
    }
    function isWord(c) {
        if (c < 0x80)
            return (c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122);
        if (c < 0xC0 || c === 0xD7 || c === 0xF7)
            return false;
        if ((c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE30 && c <= 0xFE4F) ||
            (c >= 0xFF00 && c <= 0xFF65) || (c >= 0xE000 && c <= 0xF8FF) || c === 0xFEFF || c === 0xFFFD)
            return false;
        return !isCjk(c);
    }
    // The case webhelp/LetterCase.cpp folds to: the browser's lower case of one character of Latin (to U+017F),
    // Greek and Cyrillic (U+0370-U+052F), when it is one character; the final sigma as sigma.
    function foldLetter(character) {
        var code = character.codePointAt(0);
        if (code === 0x3C2)
            return '\u03C3';
        if (code > 0x17F && (code < 0x370 || code > 0x52F))
            return character;
        var lower = character.toLowerCase();
        return lower.length === 1 ? lower : character;
    }
    function foldCase(text) {
        var folded = '';
        for (var character of text)
            folded += foldLetter(character);
        return folded;
    }
    function queryParts(text) {
        var parts = { words: [], runs: [] };
        var current = '', currentKind = '';
        var flush = function () {
            if (current && parts[currentKind].indexOf(current) < 0)
                parts[currentKind].push(current);
            current = '';
        };
        for (var character of text) {
            var code = character.codePointAt(0);
            var characterKind = isWord(code) ? 'words' : isCjk(code) ? 'runs' : '';
            if (characterKind !== currentKind)
                flush();
            currentKind = characterKind;
            if (characterKind)
                current += characterKind === 'words' ? foldLetter(character) : character;
        }
        flush();
        return parts;
    }
    function escapeForPattern(text) {
        return text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
    }
    // Words as prefixes of words, runs anywhere. A word ends where a run of Chinese, Japanese or Korean begins, as
    // it does for the index ("把Word文档" holds the word "word").
    var cjkClass = '[' + cjkRanges.map(function (range) {
        return '\\u{' + range[0].toString(16) + '}-\\u{' + range[1].toString(16) + '}';
    }).join('') + ']';
    var wordCharacter = '(?:(?!' + cjkClass + ')[\\p{L}\\p{M}\\p{N}])';
    function partsPattern(parts) {
        var alternatives = parts.words.map(function (word) {
            return '(?<!' + wordCharacter + ')' + escapeForPattern(word) + wordCharacter + '*';
        }).concat(parts.runs.map(escapeForPattern));
        return alternatives.length ? new RegExp(alternatives.join('|'), 'giu') : null;
    }
    // How a query is broken up and folded, open to a page of the tests that holds it against the index's.
    window.LB_WORDS = { fold: foldCase, parts: queryParts };

    if (!main || !side)
        return;
    var kind = main.getAttribute('data-kind');
    var page = main.getAttribute('data-page');
    var params = new URLSearchParams(location.search);
    var has = function (object, key) { return Object.prototype.hasOwnProperty.call(object, key); };

    // text into parent, what pattern finds inside <mark>.
    function appendMarked(parent, text, pattern) {
        var at = 0, match;
        pattern.lastIndex = 0;
        while ((match = pattern.exec(text)) !== null) {
            if (match[0] === '') {
                pattern.lastIndex++;
                continue;
            }
            parent.appendChild(document.createTextNode(text.slice(at, match.index)));
            parent.appendChild(element('mark', {}, match[0]));
            at = match.index + match[0].length;
        }
        parent.appendChild(document.createTextNode(text.slice(at)));
    }

    // The side panel: the contents tree, the current topic shown and its branch open; the index, made when
    // first shown.
    function link(text, href) {
        return element('a', { href: href }, text);
    }
    var currentEntry = null;
    function tree(nodes) {
        var list = element('ul');
        nodes.forEach(function (node) {
            var item = element('li');
            var entry = link(node[0], node[1]);
            if (node[1] === page) {
                entry.className = 'lb-current';
                entry.setAttribute('aria-current', 'page');
                currentEntry = entry;
            }
            if (node[2]) {
                var branch = element('details');
                // The entry inside is the one stop for Tab; the arrows open and close the branch.
                var summary = element('summary', { tabindex: '-1' });
                summary.appendChild(entry);
                branch.appendChild(summary);
                branch.appendChild(tree(node[2]));
                item.appendChild(branch);
            } else {
                item.appendChild(entry);
            }
            list.appendChild(item);
        });
        return list;
    }
    function keywordList(keys, prefix, ids) {
        var list = element('ul');
        keys.forEach(function (key, number) {
            var item = element('li', { id: 'lb-k-' + prefix + number });
            ids[key.k] = ids[key.k] || item.id;
            if (key.t.length === 1) {
                item.appendChild(link(key.k, key.t[0][1]));
            } else {
                item.appendChild(document.createTextNode(key.k + (key.t.length ? ': ' : '')));
                key.t.forEach(function (target, index) {
                    if (index)
                        item.appendChild(document.createTextNode('; '));
                    item.appendChild(link(target[0], target[1]));
                });
            }
            if (key.see) {
                var see = element('span', { class: 'lb-see' }, ' (see also ');
                key.see.forEach(function (other, index) {
                    if (index)
                        see.appendChild(document.createTextNode(', '));
                    var to = element('a', { 'data-see': other }, other);
                    see.appendChild(to);
                });
                see.appendChild(document.createTextNode(')'));
                item.appendChild(see);
            }
            if (key.sub)
                item.appendChild(keywordList(key.sub, prefix + number + '-', ids));
            list.appendChild(item);
        });
        return list;
    }
    // The arrows in the contents: up and down to the entry shown above or below, right to open a branch (or go
    // into it), left to close it (or go up to the branch holding the entry).
    function treeKeys(contents) {
        contents.addEventListener('keydown', function (event) {
            var entry = event.target;
            if (entry.tagName !== 'A' || event.altKey || event.ctrlKey || event.metaKey || event.shiftKey)
                return;
            var branch = entry.parentElement.tagName === 'SUMMARY' ? entry.parentElement.parentElement : null;
            // Entries not inside a closed branch (a closed branch's own entry is in its summary, and shown).
            var shown = Array.prototype.filter.call(contents.querySelectorAll('a'), function (other) {
                for (var up = other.parentElement; up !== contents; up = up.parentElement)
                    if (up.tagName === 'DETAILS' && !up.open && !up.firstElementChild.contains(other))
                        return false;
                return true;
            });
            var at = shown.indexOf(entry);
            var to = null;
            if (event.key === 'ArrowDown') {
                to = shown[at + 1];
            } else if (event.key === 'ArrowUp') {
                to = shown[at - 1];
            } else if (event.key === 'ArrowRight' && branch) {
                if (branch.open)
                    to = shown[at + 1];
                branch.open = true;
            } else if (event.key === 'ArrowLeft') {
                if (branch && branch.open) {
                    branch.open = false;
                } else {
                    var holder = entry.closest('ul').closest('details');
                    to = holder && contents.contains(holder) ? holder.querySelector('summary > a') : null;
                }
            } else {
                return;
            }
            event.preventDefault();
            if (to)
                to.focus();
        });
    }
    function buildSide() {
        var tabs = element('div', { class: 'lb-tabs', role: 'tablist' });
        var tocTab = element('button', { type: 'button', role: 'tab', id: 'lb-tab-toc', 'aria-controls': 'lb-toc',
            'aria-selected': 'true' }, 'Contents');
        var keysTab = element('button', { type: 'button', role: 'tab', id: 'lb-tab-keys', 'aria-controls': 'lb-keys',
            'aria-selected': 'false' }, 'Index');
        tabs.appendChild(tocTab);
        tabs.appendChild(keysTab);
        var toc = element('div', { id: 'lb-toc', role: 'tabpanel', 'aria-labelledby': 'lb-tab-toc' });
        var contents = tree(book.toc);
        contents.className = 'lb-tree';
        treeKeys(contents);
        toc.appendChild(contents);
        var keys = element('div', { id: 'lb-keys', role: 'tabpanel', 'aria-labelledby': 'lb-tab-keys' });
        keys.hidden = true;
        side.appendChild(tabs);
        side.appendChild(toc);
        side.appendChild(keys);
        function show(showKeys) {
            tocTab.setAttribute('aria-selected', String(!showKeys));
            keysTab.setAttribute('aria-selected', String(showKeys));
            // Tab stops at the chosen tab only; the arrows change it.
            tocTab.tabIndex = showKeys ? -1 : 0;
            keysTab.tabIndex = showKeys ? 0 : -1;
            toc.hidden = showKeys;
            keys.hidden = !showKeys;
            if (showKeys && !keys.firstChild)
                buildKeys(keys);
        }
        tocTab.addEventListener('click', function () { show(false); });
        keysTab.addEventListener('click', function () { show(true); });
        tabs.addEventListener('keydown', function (event) {
            if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight')
                return;
            var toKeys = event.key === 'ArrowRight';
            show(toKeys);
            (toKeys ? keysTab : tocTab).focus();
        });
        // An address may ask for the index ("index.html?panel=index").
        show(params.get('panel') === 'index');
        if (currentEntry) {
            for (var up = currentEntry.parentElement; up && up !== side; up = up.parentElement)
                if (up.tagName === 'DETAILS')
                    up.open = true;
            side.scrollTop = Math.max(0, currentEntry.offsetTop - side.clientHeight / 3);
        }
    }
    function buildKeys(keys) {
        var filter = element('input', { type: 'search', class: 'lb-filter', 'aria-label': 'Find in the index',
            placeholder: 'Find in the index' });
        var ids = {};
        var list = keywordList(book.keys, '', ids);
        list.className = 'lb-keys';
        list.querySelectorAll('a[data-see]').forEach(function (see) {
            var to = ids[see.getAttribute('data-see')];
            if (to)
                see.setAttribute('href', '#' + to);
        });
        filter.addEventListener('input', function () {
            var wanted = filter.value.trim().toLowerCase();
            Array.prototype.forEach.call(list.children, function (item) {
                item.hidden = wanted !== '' && item.textContent.toLowerCase().indexOf(wanted) < 0;
            });
        });
        keys.appendChild(filter);
        keys.appendChild(list);
    }

    var menu = document.getElementById('lb-menu');
    if (menu)
        menu.addEventListener('click', function () {
            var open = document.body.classList.toggle('lb-open');
            menu.setAttribute('aria-expanded', String(open));
            // Into the panel just opened, which comes after the title bar: on the current topic, or the tab shown.
            if (open) {
                var into = currentEntry && currentEntry.getClientRects().length ? currentEntry
                    : side.querySelector('[role="tab"][aria-selected="true"]');
                if (into)
                    into.focus();
            }
        });
    var searchBox = document.querySelector('#lb-search input');
    document.addEventListener('keydown', function (event) {
        var typing = /^(INPUT|TEXTAREA|SELECT)$/.test((document.activeElement || document.body).tagName);
        if (event.key === '/' && !typing && searchBox) {
            event.preventDefault();
            searchBox.focus();
        } else if (event.key === 'Escape' && document.body.classList.contains('lb-open')) {
            document.body.classList.remove('lb-open');
            menu.setAttribute('aria-expanded', 'false');
            menu.focus();
        }
    });
    buildSide();

    // The search: every part typed must be on the page (or in its title). Words match the words they begin;
    // a run of characters is looked up by its pairs, and a run longer than a pair is checked in the page's text.
    var texts = {};
    window.LB_TEXT = function (number, text) { texts[number] = text; };
    function loadTexts(pages, done) {
        var left = pages.length;
        if (!left)
            return done();
        pages.forEach(function (number) {
            if (has(texts, number)) {
                if (--left === 0)
                    done();
                return;
            }
            var script = element('script', { src: '_web/text/' + number + '.js' });
            script.onload = script.onerror = function () {
                if (--left === 0)
                    done();
            };
            document.head.appendChild(script);
        });
    }
    var numberDigits = {};
    'ghijklmnopqrstuvwxyz0123456789+/ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef'.split('').forEach(function (letter, at) {
        numberDigits[letter] = at;
    });
    function search(index, parts) {
        var terms = Object.keys(index.terms);
        // A term's pages and weights, written by webhelp/SearchIndex.cpp as letters.
        function postings(term, factor, into) {
            var text = index.terms[term], value = 0, numbers = [];
            for (var i = 0; i < text.length; ++i) {
                var digit = numberDigits[text.charAt(i)];
                if (digit >= 32) {
                    numbers.push(value * 32 + digit - 32);
                    value = 0;
                } else {
                    value = value * 32 + digit;
                }
            }
            var number = 0;
            for (var n = 0; n < numbers.length;) {
                var step = numbers[n++];
                number += Math.floor(step / 2);
                var weight = step % 2 ? numbers[n++] : 1;
                into.set(number, (into.get(number) || 0) + weight * factor);
            }
            return into;
        }
        var found = [];
        parts.words.forEach(function (word) {
            var pages = new Map();
            terms.forEach(function (term) {
                if (term.lastIndexOf(word, 0) === 0 && isWord(term.codePointAt(0)))
                    postings(term, term === word ? 2 : 1, pages);
            });
            found.push(pages);
        });
        parts.runs.forEach(function (run) {
            var characters = Array.from(run);
            var pages = new Map();
            if (characters.length === 1) {
                terms.forEach(function (term) {
                    if (term.indexOf(run) >= 0 && isCjk(term.codePointAt(0)))
                        postings(term, 1, pages);
                });
            } else {
                for (var i = 0; i + 1 < characters.length; ++i) {
                    var pair = characters[i] + characters[i + 1];
                    var pairPages = has(index.terms, pair) ? postings(pair, 1, new Map()) : new Map();
                    if (i === 0) {
                        pages = pairPages;
                        continue;
                    }
                    pages.forEach(function (weight, number) {
                        if (pairPages.has(number))
                            pages.set(number, Math.min(weight, pairPages.get(number)));
                        else
                            pages.delete(number);
                    });
                }
            }
            found.push(pages);
        });
        if (!found.length)
            return [];
        var hits = [];
        found[0].forEach(function (weight, number) {
            var total = weight;
            for (var i = 1; i < found.length; ++i) {
                if (!found[i].has(number))
                    return;
                total += found[i].get(number);
            }
            hits.push([number, total]);
        });
        hits.sort(function (a, b) { return b[1] - a[1] || a[0] - b[0]; });
        return hits;
    }
    // A line of the page's text around the first part found. The text begins with the topic's heading, which the
    // result shows already as its link.
    function contextLine(text, title, pattern) {
        var rest = text.lastIndexOf(title, 0) === 0 ? text.slice(title.length).trim() : '';
        if (rest)
            text = rest;
        pattern.lastIndex = 0;
        var match = pattern.exec(text);
        var at = match ? match.index : 0;
        var start = Math.max(0, at - 60), end = Math.min(text.length, at + 120);
        var space = text.lastIndexOf(' ', at);
        if (start > 0 && space > start && space < at)
            start = space + 1;
        return (start > 0 ? '\u2026' : '') + text.slice(start, end) + (end < text.length ? '\u2026' : '');
    }
    function showSearch() {
        var query = (params.get('q') || '').trim();
        var content = document.getElementById('lb-content');
        content.textContent = '';
        if (searchBox)
            searchBox.value = query;
        var parts = queryParts(query);
        var index = window.LB_SEARCH;
        if (!index) {
            content.appendChild(element('p', { class: 'lb-notice' }, 'The search index is missing.'));
            return;
        }
        if (!parts.words.length && !parts.runs.length) {
            content.appendChild(element('p', {}, 'Type the words to look for in the box above.'));
            return;
        }
        var hits = search(index, parts);
        var longRuns = parts.runs.filter(function (run) { return Array.from(run).length > 2; });
        // Every page listed needs its text for its line; the pages of a long run all do, to check it.
        var shown = longRuns.length ? hits : hits.slice(0, 200);
        loadTexts(shown.map(function (hit) { return hit[0]; }), function () {
            if (longRuns.length)
                hits = hits.filter(function (hit) {
                    var whole = foldCase(index.pages[hit[0]][0] + ' ' + (texts[hit[0]] || ''));
                    return longRuns.every(function (run) { return whole.indexOf(run) >= 0; });
                });
            var pattern = partsPattern(parts);
            var summary = element('p', { id: 'lb-summary', role: 'status' }, hits.length === 0
                ? 'No topic holds \u201C' + query + '\u201D.'
                : hits.length + (hits.length === 1 ? ' topic holds' : ' topics hold') + ' \u201C' + query + '\u201D.');
            content.appendChild(summary);
            var list = element('ol', { id: 'lb-results' });
            hits.forEach(function (hit) {
                var item = element('li');
                var target = index.pages[hit[0]];
                item.appendChild(link(target[0], target[1] + '?q=' + encodeURIComponent(query)));
                if (has(texts, hit[0])) {
                    var line = element('p');
                    appendMarked(line, contextLine(texts[hit[0]], target[0], pattern), pattern);
                    item.appendChild(line);
                }
                list.appendChild(item);
            });
            content.appendChild(list);
            document.title = query + ' - ' + document.title;
            // Tab goes on to the first topic found, not through the title bar and the contents first; "/" goes
            // back to the search box.
            if (document.activeElement === document.body)
                main.focus({ preventScroll: true });
        });
    }

    // The words searched for, marked on the topic the search opened; the first one scrolled to unless the
    // address names a place.
    function markQuery(query) {
        if (searchBox)
            searchBox.value = query;
        var pattern = partsPattern(queryParts(query));
        if (!pattern)
            return;
        var walker = document.createTreeWalker(main, NodeFilter.SHOW_TEXT, {
            acceptNode: function (node) {
                var parent = node.parentElement;
                return parent.closest('.lb-trail, script, style, mark') ? NodeFilter.FILTER_REJECT
                    : NodeFilter.FILTER_ACCEPT;
            }
        });
        var nodes = [];
        while (walker.nextNode())
            nodes.push(walker.currentNode);
        nodes.forEach(function (node) {
            pattern.lastIndex = 0;
            if (!pattern.test(node.data))
                return;
            var marked = document.createDocumentFragment();
            appendMarked(marked, node.data, pattern);
            node.parentNode.replaceChild(marked, node);
        });
        var first = main.querySelector('mark');
        if (first && !location.hash)
            first.scrollIntoView({ block: 'center' });
    }

    // A help ID by its name or its number; unknown ones open the home page, which says so.
    function openHelpId() {
        var id = (params.get('id') || '').trim();
        var target = null;
        if (has(book.ids, id))
            target = book.ids[id];
        else if (has(book.ids, id.toUpperCase()))
            target = book.ids[id.toUpperCase()];
        else if (/^(0x[0-9a-f]+|[0-9]+)$/i.test(id) && has(book.ids, String(Number(id))))
            target = book.ids[String(Number(id))];
        location.replace(target || 'index.html?unknown=' + encodeURIComponent(id));
    }

    if (kind === 'search')
        showSearch();
    else if (kind === 'open')
        openHelpId();
    else if (params.get('q'))
        markQuery(params.get('q'));
    if (params.has('unknown')) {
        var notice = element('p', { class: 'lb-notice', role: 'status', id: 'lb-unknown' },
            'No topic has the help ID \u201C' + params.get('unknown') + '\u201D: this is the home page.');
        main.insertBefore(notice, main.firstChild);
    }
}());
