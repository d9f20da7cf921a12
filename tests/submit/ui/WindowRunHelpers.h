#pragma once

// Shared by the window tests of runs: scripted answers, sites that point at them, and a
// wait that serves the GUI thread's events.

#include "submit/SiteTable.h"
#include "support/ScriptedServer.h"

#include <QTest>

#include <string>

// Reads a request's head and sends `reply` (status line and all), then closes.
inline ScriptedServer::Script Reply(const std::string& reply)
{
    return {ScriptedServer::ReadUntil("\r\n\r\n"), ScriptedServer::Send(reply), ScriptedServer::Close()};
}

// A 200 reply with `body`.
inline ScriptedServer::Script Answer(const std::string& body)
{
    return Reply("HTTP/1.0 200 OK\r\n\r\n" + body);
}

inline SiteRecord Site(const std::string& title, const std::string& url, const std::string& method = "GET")
{
    return {title, url, method, "padurl", "padcat", "email", "successfully"};
}

// Serves the GUI thread's events until `done` holds or 10 s have passed.
template <class Pred>
bool WaitFor(Pred done)
{
    for (int i = 0; i < 1000 && !done(); ++i) QTest::qWait(10);
    return done();
}
