#pragma once
// A deck page of the tests, in the manner of deckmaker.htm: `deck` and
// `demaid` come last, and demaid reports the code it was given, as the real
// page does. It records its hand-overs and key-downs, and reads list.xml
// beside it. A slow one keeps the browser busy for a while before its deck
// functions exist, like a page on a slow disk.
#include <string>

inline std::string TestPage(bool slow = false)
{
    return std::string("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>test deck page</title>\n"
                       "<script>\n"
                       "var calls = [];\n"
                       "var keys = [];\n"
                       "var listText = null;\n") +
           (slow ? "var until = Date.now() + 1500; while (Date.now() < until) {}\n" : "") +
           "document.addEventListener('keydown', function (e) { keys.push(e.key); }, true);\n"
           "var request = new XMLHttpRequest();\n"
           "request.onload = function () { listText = request.responseText; };\n"
           "request.onerror = function () { listText = 'failed'; };\n"
           "request.open('GET', 'list.xml', true);\n"
           "request.send();\n"
           "</script></head>\n"
           "<body><input id=\"box\"><a id=\"link\" href=\"next.htm\">next</a>\n"
           "<script>\n"
           "var deck = { name: 'test' };\n"
           "function demaid(d, code) { calls.push([d === deck, code]); window.status = code; }\n"
           "</script></body></html>\n";
}

// Generous: the engine starts its helper processes on first use.
constexpr int kWaitMs = 30000;
