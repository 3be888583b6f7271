#pragma once
// A deck page of the tests, in the manner of deckmaker.htm: `deck` and
// `demaid` come last, and demaid reports the code it was given, as the real
// page does. It records its key-downs, and reads list.xml beside it.
#include <string>

inline std::string TestPage()
{
    return std::string("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>test deck page</title>\n"
                       "<script>\n"
                       "var keys = [];\n"
                       "var listText = null;\n") +
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
           "function demaid(d, code) { window.status = code; }\n"
           "</script></body></html>\n";
}

// Generous: the engine starts its helper processes on first use.
constexpr int kWaitMs = 30000;
