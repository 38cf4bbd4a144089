#include "html_report.h"

#include <algorithm>
#include <tuple>

#include "platform/text.h"
#include "script/utf8_path.h"
#include "trace_collector.h"
#include "whole_file.h"
#include "xml_text.h"

namespace program::detail {

namespace {

// Pages load only what lies in the report's folder.
constexpr std::string_view kHead =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
    "img-src 'self'; style-src 'self'; script-src 'self'\">\n"
    "<meta name=\"generator\" content=\"kestrin\">\n";

constexpr std::string_view kStyle =
    R"(body { font: 14px/1.4 sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; } h1 a { color: inherit; }
.totals { font-size: 1.1em; }
.passed .verdict, span.passed { color: #176b2c; }
.failed .verdict, span.failed, .outcome.failed { color: #b3261e; font-weight: bold; }
.error .verdict, span.error { color: #7a1fa2; font-weight: bold; }
table { border-collapse: collapse; margin-top: .5em; }
th, td { border-bottom: 1px solid #ddd; padding: .3em .6em; text-align: left; vertical-align: top; }
th { background: #f3f3f3; }
td.time, td.clock { text-align: right; white-space: nowrap; }
.failure { color: #b3261e; white-space: pre-wrap; font-family: monospace; }
#failed-only:checked ~ table tr.passed { display: none; }
#flaky-only:checked ~ table tr:not(.flaky) { display: none; }
.flaky .verdict, span.flaky { color: #9a5b00; font-weight: bold; }
tr.flaky { background: #fff4e0; }
td.attempts { text-align: right; }
code, pre { font-family: monospace; }
pre { margin: 0; white-space: pre-wrap; }
tr.failed { background: #fdecea; }
tr.error { background: #f6e8fb; }
img.thumb { width: 160px; height: 120px; border: 1px solid #aaa; }
.pictures td { white-space: nowrap; }
.pictures figure { display: inline-block; margin: 0 1em 0 0; vertical-align: top; }
.pictures .shot { position: relative; display: inline-block; border: 1px solid #aaa; }
.pictures img { display: block; min-width: 160px; image-rendering: pixelated; }
.shot svg.masks { position: absolute; left: 0; top: 0; width: 100%; height: 100%; pointer-events: none; }
.masks rect { stroke: #c77700; stroke-width: 1px; }
svg.hatch { position: absolute; width: 0; height: 0; }
.onion img.over { position: absolute; left: 0; top: 0; width: 100%; height: 100%; opacity: .5; }
.onion input { vertical-align: middle; width: 8em; }
.debug { color: #555; }
.box { color: #7a4a00; }
#missing { color: #b3261e; font-weight: bold; }
.note { color: #555; font-style: italic; }
pre.traffic { font-size: 12px; max-height: 18em; overflow: auto; color: #0b3d66; }
td.traffic { max-width: 40em; }
tr[aria-selected] > td { background: #e3eefc; }
tr[aria-selected] > td:first-child { box-shadow: inset 4px 0 #1a5fb4; }
tr[data-nomatch] { opacity: .35; }
body.viewing { margin-right: 44em; }
#viewer { position: fixed; top: 0; right: 0; width: 42em; height: 100vh; overflow: auto;
  box-sizing: border-box; padding: .8em 1em; background: #fafafa; border-left: 1px solid #bbb; }
#viewer .keys { font-size: 12px; color: #555; }
#viewer figure { display: inline-block; margin: 0 .8em .5em 0; vertical-align: top; }
#viewer figure img { display: block; width: 320px; height: 240px; border: 1px solid #aaa;
  image-rendering: pixelated; }
#viewer figure span { display: block; width: 320px; height: 240px; border: 1px dashed #aaa; }
#viewer #lines { font-size: 12px; }
#viewer #lines .debug { color: #555; }
#viewer #search { width: 20em; }
)";

// Each onion skin's slider sets how much of the reference shows over the
// actual picture; once loaded, the page tells (and tests, in the body's
// data) whether every picture could be shown.
constexpr std::string_view kScript = R"(document.addEventListener('DOMContentLoaded', function () {
  Array.prototype.forEach.call(document.querySelectorAll('input.onion'), function (slider) {
    var over = slider.closest('figure').querySelector('img.over');
    var show = function () { over.style.opacity = String(slider.value / 100); };
    slider.addEventListener('input', show);
    show();
  });
});
// The trace viewer: a step (or a range) selected by the keyboard, a click or
// the address (#step-N, #step-N-M), its screens before and after, its
// traffic and debug lines as the search filters them.
document.addEventListener('DOMContentLoaded', function () {
  var table = document.getElementById('trace');
  var viewer = document.getElementById('viewer');
  if (!table || !viewer) { return; }
  var rows = Array.prototype.slice.call(table.querySelectorAll('tr[id^="step-"]'));
  if (rows.length === 0) { return; }
  var search = document.getElementById('search');
  var from = 0;
  var to = 0;
  var linesOf = function (row, cls) {
    var pre = row.querySelector('pre.' + cls);
    return pre ? pre.textContent.split('\n').filter(function (l) { return l !== ''; }) : [];
  };
  var texts = rows.map(function (row) {
    return { traffic: linesOf(row, 'traffic'), debug: linesOf(row, 'debug') };
  });
  var picture = function (id, i, what) {
    var box = document.getElementById(id);
    var thumb = i >= 0 && i < rows.length ? rows[i].querySelector('img.thumb') : null;
    box.textContent = '';
    var shown = document.createElement(thumb ? 'img' : 'span');
    if (thumb) {
      shown.src = thumb.getAttribute('src');
      shown.alt = what;
    } else {
      shown.textContent = 'no screen';
    }
    box.appendChild(shown);
  };
  var show = function (scroll) {
    var lo = Math.min(from, to);
    var hi = Math.max(from, to);
    var query = search.value.toLowerCase();
    var found = [];
    rows.forEach(function (row, i) {
      if (i >= lo && i <= hi) {
        row.setAttribute('aria-selected', 'true');
      } else {
        row.removeAttribute('aria-selected');
      }
      var all = texts[i].traffic.concat(texts[i].debug);
      var hit = query !== '' && all.some(function (l) { return l.toLowerCase().indexOf(query) >= 0; });
      if (query !== '' && !hit) {
        row.setAttribute('data-nomatch', '');
      } else {
        row.removeAttribute('data-nomatch');
      }
      if (hit) { found.push(i); }
    });
    var at = rows[to];
    document.getElementById('selected').textContent =
        (lo === hi ? 'step ' + (lo + 1) : 'steps ' + (lo + 1) + ' to ' + (hi + 1)) + ' of ' +
        rows.length + ': ' + at.querySelector('td.where').textContent + ' ' +
        at.querySelector('code').textContent;
    picture('before', lo - 1, 'the screen before step ' + (lo + 1));
    picture('after', hi, 'the screen after step ' + (hi + 1));
    var list = document.getElementById('lines');
    list.textContent = '';
    for (var i = lo; i <= hi; ++i) {
      ['traffic', 'debug'].forEach(function (kind) {
        texts[i][kind].forEach(function (line) {
          if (query !== '' && line.toLowerCase().indexOf(query) < 0) { return; }
          var item = document.createElement('span');
          item.className = kind;
          item.textContent = (lo === hi ? '' : '[' + (i + 1) + '] ') + line + '\n';
          list.appendChild(item);
        });
      });
    }
    var matches = document.getElementById('matches');
    matches.textContent = '';
    if (query !== '') {
      matches.appendChild(document.createTextNode(
          found.length === 0 ? 'in no step' : 'in ' + found.length + ' steps:'));
      found.slice(0, 40).forEach(function (i) {
        var link = document.createElement('a');
        link.href = '#step-' + (i + 1);
        link.textContent = String(i + 1);
        matches.appendChild(document.createTextNode(' '));
        matches.appendChild(link);
      });
    }
    try {
      history.replaceState(null, '', '#step-' + (lo + 1) + (lo === hi ? '' : '-' + (hi + 1)));
    } catch (e) { /* an address the browser will not change */ }
    if (scroll) { at.scrollIntoView({ block: 'nearest' }); }
  };
  var fromAddress = function () {
    var m = /^#step-(\d+)(?:-(\d+))?$/.exec(location.hash);
    if (!m) { return false; }
    var clamp = function (n) { return Math.min(Math.max(parseInt(n, 10) - 1, 0), rows.length - 1); };
    from = clamp(m[1]);
    to = m[2] ? clamp(m[2]) : from;
    return true;
  };
  var firstFailure = function () {
    var i = rows.findIndex(function (row) { return row.classList.contains('failed'); });
    return i < 0 ? 0 : i;
  };
  if (!fromAddress()) { from = to = firstFailure(); }
  viewer.hidden = false;
  document.body.classList.add('viewing');
  show(true);
  window.addEventListener('hashchange', function () { if (fromAddress()) { show(true); } });
  search.addEventListener('input', function () { show(false); });
  table.addEventListener('click', function (e) {
    var row = e.target.closest('tr[id^="step-"]');
    if (!row || e.target.closest('a, summary, pre')) { return; }
    to = rows.indexOf(row);
    if (!e.shiftKey) { from = to; }
    show(false);
  });
  document.addEventListener('keydown', function (e) {
    if (e.target === search) {
      if (e.key === 'Escape') { search.value = ''; search.blur(); show(false); }
      return;
    }
    if (e.ctrlKey || e.altKey || e.metaKey || (e.target.closest && e.target.closest('input'))) {
      return;
    }
    var next = null;
    if (e.key === 'ArrowDown' || e.key === 'j' || e.key === 'J') { next = to + 1; }
    else if (e.key === 'ArrowUp' || e.key === 'k' || e.key === 'K') { next = to - 1; }
    else if (e.key === 'Home') { next = 0; }
    else if (e.key === 'End') { next = rows.length - 1; }
    else if (e.key === 'f') { next = firstFailure(); from = next; }
    else if (e.key === '/') { e.preventDefault(); search.focus(); return; }
    if (next === null) { return; }
    e.preventDefault();
    to = Math.min(Math.max(next, 0), rows.length - 1);
    if (!e.shiftKey) { from = to; }
    show(true);
  });
});
window.addEventListener('load', function () {
  var images = Array.prototype.slice.call(document.images);
  var broken = images.filter(function (i) { return !(i.complete && i.naturalWidth > 0); });
  document.body.setAttribute('data-images', String(images.length));
  document.body.setAttribute('data-broken',
      broken.map(function (i) { return i.getAttribute('src'); }).join(' '));
  if (broken.length > 0) {
    var note = document.createElement('p');
    note.id = 'missing';
    note.textContent = broken.length + ' of the pictures are missing from the report\'s folder.';
    document.body.insertBefore(note, document.body.firstChild);
  }
});
)";

std::string Seconds(std::chrono::duration<double> t) {
    return platform::Format("%.3f s", t.count());
}

std::string Name(const ScriptResult& r) {
    const std::u8string text = r.file.generic_u8string();
    return Shown(std::string(text.begin(), text.end()));
}

// "passed", "failed", "flaky" for one that passed only on a retry, or
// "error" for one that came to no verdict.
const char* VerdictOf(const ScriptResult& r) {
    return r.Flaky() ? "flaky" : r.passed ? "passed" : r.error ? "error" : "failed";
}

std::string PageOf(std::size_t index) {
    return "scripts/" + std::to_string(index + 1) + ".html";
}

platform::Result<void> WriteText(const std::filesystem::path& file, std::string_view text) {
    if (!WriteWholeFile(file, text)) {
        return platform::Fail(script::Utf8FromPath(file) + ": cannot write the report");
    }
    return {};
}

// The debug line without its line end.
std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

std::string Picture(std::string_view file, std::string_view alt, std::string_view cls) {
    const std::string src = "../screens/" + std::string(file);
    return "<a href=\"" + src + "\"><img" +
           (cls.empty() ? "" : " class=\"" + std::string(cls) + "\"") + " src=\"" + src +
           "\" alt=\"" + XmlText(alt) + "\"></a>";
}

// The masks of the step's comparison over its picture, hatched, in shares of
// the compared area (so at any size the picture is shown).
std::string Masks(const TraceStep& step) {
    if (step.masks.empty() || step.area.Empty()) {
        return {};
    }
    const auto share = [](int from, int length) {
        return platform::Format("%.4g%%", 100.0 * from / length);
    };
    std::string svg = "<svg class=\"masks\" aria-hidden=\"true\">";
    for (const ui::Rect& m : step.masks) {
        svg += "<rect x=\"" + share(m.left - step.area.left, step.area.Width()) + "\" y=\"" +
               share(m.top - step.area.top, step.area.Height()) + "\" width=\"" +
               share(m.Width(), step.area.Width()) + "\" height=\"" +
               share(m.Height(), step.area.Height()) + "\" fill=\"url(#hatch-" +
               std::to_string(step.line) + ")\"></rect>";
    }
    return svg + "</svg>";
}

// The hatching the masks of the step are filled with.
std::string Hatch(const TraceStep& step) {
    if (step.masks.empty()) {
        return {};
    }
    return "<svg class=\"hatch\" aria-hidden=\"true\"><defs><pattern id=\"hatch-" +
           std::to_string(step.line) +
           "\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#ffffff\" "
           "fill-opacity=\"0.35\"></rect><rect width=\"3\" height=\"6\" fill=\"#c77700\" "
           "fill-opacity=\"0.8\"></rect></pattern></defs></svg>";
}

// A picture of a failed comparison, masked: its masks over it, and what it is.
std::string Compared(const TraceStep& step, const std::string& file, const char* what,
                     bool masked) {
    const std::string src = "../screens/" + file;
    return std::string("<figure><a class=\"shot\" href=\"") + src + "\"><img src=\"" + src +
           "\" alt=\"" + what + "\">" + (masked ? Masks(step) : std::string()) +
           "</a><figcaption>" + what + "</figcaption></figure>";
}

// The reference over the actual picture, as much of it showing as the
// slider says.
std::string OnionSkin(const TraceStep& step) {
    return "<figure class=\"onion\"><span class=\"shot\"><img class=\"under\" src=\"../screens/" +
           step.actual + "\" alt=\"actual\"><img class=\"over\" src=\"../screens/" +
           step.reference + "\" alt=\"reference\">" + Masks(step) +
           "</span><figcaption><label>actual <input class=\"onion\" type=\"range\" min=\"0\" "
           "max=\"100\" value=\"50\" aria-label=\"how much of the reference shows over the "
           "actual picture\"> reference</label></figcaption></figure>";
}

std::string Index(const std::vector<ScriptResult>& results) {
    std::size_t failed = 0;
    std::size_t errors = 0;
    std::size_t flaky = 0;
    std::chrono::duration<double> total{};
    for (const ScriptResult& r : results) {
        errors += r.error ? 1 : 0;
        failed += r.passed || r.error ? 0 : 1;
        flaky += r.Flaky() ? 1U : 0U;
        total += r.time;
    }
    const std::size_t passed = results.size() - failed - errors - flaky;
    std::string html(kHead);
    html += "<title>kestrin: " + Verdict(results) + "</title>\n";
    html += "<link rel=\"stylesheet\" href=\"report.css\">\n<script src=\"report.js\"></script>\n";
    html += "</head>\n<body>\n<h1>kestrin scripts</h1>\n";
    html += "<p class=\"totals\"><span class=\"passed\">" + std::to_string(passed) +
            " passed</span>, <span class=\"failed\">" + std::to_string(failed) + " failed</span>, ";
    if (flaky > 0) {
        html += "<span class=\"flaky\">" + std::to_string(flaky) + " flaky</span>, ";
    }
    if (errors > 0) {
        html += "<span class=\"error\">" + std::to_string(errors) +
                (errors == 1 ? " error" : " errors") + "</span>, ";
    }
    html += Seconds(total) + "</p>\n";
    html +=
        "<input type=\"checkbox\" id=\"failed-only\"> <label for=\"failed-only\">failed "
        "only</label>\n";
    html +=
        "<input type=\"checkbox\" id=\"flaky-only\"> <label for=\"flaky-only\">flaky "
        "only</label>\n";
    html +=
        "<table id=\"scripts\">\n<thead><tr><th>verdict</th><th>script</th><th>runs</th>"
        "<th>time</th></tr></thead>\n<tbody>\n";
    std::vector<std::size_t> order(results.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    // Failed first, then the flaky ones.
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t i) { return !results[i].passed || results[i].Flaky(); });
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t i) { return !results[i].passed; });
    for (const std::size_t i : order) {
        const ScriptResult& r = results[i];
        const char* cls = VerdictOf(r);
        html += std::string("<tr class=\"") + cls + "\"><td class=\"verdict\">" + cls +
                "</td><td><a href=\"" + PageOf(i) + "\">" + XmlText(Name(r)) + "</a>";
        if (!r.passed) {
            html += "<div class=\"failure\">" + XmlText(r.failure) + "</div>";
        }
        html += "</td><td class=\"attempts\">" + std::to_string(r.retried.size() + 1) +
                "</td><td class=\"time\">" + Seconds(r.time) + "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n</body>\n</html>\n";
    return html;
}

// A step's row; id: the row's address in the page ("step-3").
std::string Step(const ScriptResult& r, const TraceStep& step, const std::string& id) {
    const bool ok = step.failure.empty();
    const std::string where = ShownName(r.file.filename()) + ":" + std::to_string(step.line);
    std::string html = std::string("<tr class=\"") + (ok ? "ok" : "failed") + "\" id=\"" + id +
                       "\" data-line=\"" + std::to_string(step.line) + "\"><td class=\"where\">" +
                       XmlText(where) + "</td><td><code>" + XmlText(step.command) + "</code></td>";
    html += std::string("<td class=\"outcome") +
            (ok ? "\">ok" : " failed\">" + XmlText(step.failure)) + "</td>";
    html += "<td class=\"clock\">" + std::to_string(step.unitMs) + " ms</td>";
    html += "<td class=\"clock\">" + platform::Format("%.1f ms", step.wallMs) + "</td><td>";
    if (!step.screen.empty()) {
        html += Picture(step.screen, "the screen after line " + std::to_string(step.line), "thumb");
    }
    html += "</td><td class=\"traffic\">";
    if (!step.traffic.empty()) {
        html += "<pre class=\"traffic\">";
        for (const std::string& line : step.traffic) {
            html += XmlText(line) + "\n";
        }
        html += "</pre>";
    }
    if (step.trafficLeftOut > 0) {
        html += "<p class=\"note\">" + std::to_string(step.trafficLeftOut) + " more " +
                (step.trafficLeftOut == 1 ? "line" : "lines") + " of traffic left out</p>";
    }
    html += "</td><td>";
    if (!step.debugLines.empty()) {
        html += "<pre class=\"debug\">";
        for (const std::string& line : step.debugLines) {
            html += XmlText(Trimmed(line)) + "\n";
        }
        html += "</pre>";
    }
    for (const std::string& box : step.messageBoxes) {
        html += "<p class=\"box\">message box: " + XmlText(box) + "</p>";
    }
    if (!step.windows.empty()) {
        // The screen as data, for reading it without the picture.
        html += "<details class=\"windows\"><summary>windows and controls (JSON)</summary><pre>" +
                XmlText(step.windows) + "</pre></details>";
    }
    html += "</td></tr>\n";
    if (!step.actual.empty()) {
        html += "<tr class=\"pictures\"><td colspan=\"8\">" + Hatch(step);
        // The difference picture has the masks hatched in its pixels.
        const std::tuple<const std::string*, const char*, bool> pictures[] = {
            {&step.reference, "reference", true},
            {&step.actual, "actual", true},
            {&step.difference, "difference", false}};
        for (const auto& [file, what, masked] : pictures) {
            if (!file->empty()) {
                html += Compared(step, *file, what, masked);
            }
        }
        if (!step.reference.empty()) {
            html += OnionSkin(step);
        }
        html += "</td></tr>\n";
    }
    return html;
}

// A trace as a table; prefix: its steps' addresses ("step-" for the
// script's own trace, "run-1-step-" for an earlier run's).
std::string TraceTable(const ScriptResult& r, const std::vector<TraceStep>& trace,
                       const std::string& prefix) {
    std::string html = std::string("<table class=\"trace\"") +
                       (prefix == "step-" ? " id=\"trace\"" : "") +
                       ">\n<thead><tr><th>line</th><th>command</th><th>outcome</th>"
                       "<th>unit clock</th><th>wall</th><th>screen after</th><th>traffic</th>"
                       "<th>debug lines and message boxes</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < trace.size(); ++i) {
        html += Step(r, trace[i], prefix + std::to_string(i + 1));
    }
    return html + "</tbody>\n</table>\n";
}

// Where the page's script shows the selected steps (hidden without it,
// where the table shows them all).
constexpr std::string_view kViewer =
    "<section id=\"viewer\" hidden>\n<p class=\"keys\">Keys: <kbd>j</kbd> or <kbd>&#8595;</kbd> "
    "the next step, <kbd>k</kbd> or <kbd>&#8593;</kbd> the one before, <kbd>f</kbd> the first "
    "failure, <kbd>Home</kbd> and <kbd>End</kbd> the first and last; with <kbd>Shift</kbd> (or "
    "shift+click) a range of steps; <kbd>/</kbd> the search, <kbd>Esc</kbd> leaves it. The "
    "address <code>#step-N</code> (<code>#step-N-M</code>) opens on that step (those steps).</p>\n"
    "<p id=\"selected\"></p>\n<figure><div id=\"before\"></div><figcaption>the screen before"
    "</figcaption></figure><figure><div id=\"after\"></div><figcaption>the screen after"
    "</figcaption></figure>\n<p><label>search the traffic and debug lines <input id=\"search\" "
    "type=\"search\"></label> <span id=\"matches\"></span></p>\n<pre id=\"lines\"></pre>\n"
    "</section>\n";

// The runs of a script run again (--retries), each with its trace, the
// last (the script's own) after them.
std::string Runs(const ScriptResult& r) {
    const std::string of = " of " + std::to_string(r.retried.size() + 1);
    std::string html;
    for (std::size_t i = 0; i < r.retried.size(); ++i) {
        const Attempt& a = r.retried[i];
        html += "<h2 class=\"run\">run " + std::to_string(i + 1) + of +
                ": <span class=\"failed\">failed</span> in " + Seconds(a.time) + "</h2>\n";
        html += "<p class=\"failure\">" + XmlText(a.failure) + "</p>\n";
        if (a.traced) {
            html += TraceTable(r, a.trace, "run-" + std::to_string(i + 1) + "-step-");
        }
    }
    html += "<h2 class=\"run\">run " + std::to_string(r.retried.size() + 1) + of + ": " +
            (r.passed ? "<span class=\"passed\">passed</span>"
                      : "<span class=\"failed\">failed</span>") +
            "</h2>\n";
    return html;
}

// For a failed script, the command that opens the window where it failed
// (--open-at); empty for the others.
std::string OpenAtCommand(const ScriptResult& r) {
    if (r.passed || r.error) {
        return {};
    }
    return "<p class=\"open-at\">Open the window where it failed: <code>kestrin --script " +
           XmlText(ShownName(r.file)) +
           " --open-at fail</code> (with the run's --unit or --root)</p>\n";
}

std::string Page(const ScriptResult& r) {
    const char* cls = VerdictOf(r);
    std::string html(kHead);
    html += "<title>" + XmlText(Name(r)) + ": " + cls + "</title>\n";
    html +=
        "<link rel=\"stylesheet\" href=\"../report.css\">\n"
        "<script src=\"../report.js\"></script>\n</head>\n<body>\n";
    html += "<h1><a href=\"../index.html\">kestrin scripts</a> / " + XmlText(Name(r)) + "</h1>\n";
    html += std::string("<p class=\"") + cls + "\"><span class=\"" + cls + "\">" + cls +
            "</span> in " + Seconds(r.time) + "</p>\n";
    if (!r.passed) {
        html += "<p class=\"failure\">" + XmlText(r.failure) + "</p>\n";
    }
    html += OpenAtCommand(r);
    if (r.traced && r.screensLeftOut > 0) {
        html += "<p class=\"note\">" + std::to_string(r.screensLeftOut) +
                (r.screensLeftOut == 1 ? " step shows" : " steps show") +
                " no screen: a script keeps its most recent " +
                std::to_string(TraceCollector::kMostPictures) +
                " distinct screens, and its failure's always.</p>\n";
    }
    if (!r.retried.empty()) {
        html += Runs(r);
    }
    if (r.traced) {
        html += TraceTable(r, r.trace, "step-");
        html += kViewer;
    } else {
        html += "<p>The trace of a passing script is kept with --trace.</p>\n";
    }
    if (!r.output.empty()) {
        html += "<h2>output</h2>\n<pre class=\"output\">" + XmlText(r.output) + "</pre>\n";
    }
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace

std::filesystem::path ScreensFolder(const std::filesystem::path& report) {
    return report / "screens";
}

platform::Result<void> WriteReport(const std::filesystem::path& folder,
                                   const std::vector<ScriptResult>& results) {
    if (platform::Result<void> css = WriteText(folder / "report.css", kStyle); !css) {
        return css;
    }
    if (platform::Result<void> js = WriteText(folder / "report.js", kScript); !js) {
        return js;
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (platform::Result<void> page = WriteText(folder / PageOf(i), Page(results[i])); !page) {
            return page;
        }
    }
    return WriteText(folder / "index.html", Index(results));
}

}  // namespace program::detail
