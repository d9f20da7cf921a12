#include "cli/RequestCommand.h"

#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using S = ScriptedServer;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome RunRequest(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = RequestCommand::Run(args, out, err);
    return {code, out.str(), err.str()};
}

// Runs the built program with `args` (a shell command tail); its exit code (-1 when it did
// not exit) and what it printed.
Outcome RunProgram(const std::string& args)
{
    FILE* pipe = popen((std::string(QP_BIN_DIR) + "/quillpost-cli " + args).c_str(), "r");
    if (!pipe) return {-1, "", "popen failed"};
    std::string out;
    char buf[4096];
    for (size_t n = 0; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ""};
}

TEST(CliRequest, AnsweredCallPrintsEventsStatusHeadAndBody)
{
    S server(std::vector<S::Script>{
        {S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"), S::Close()},
        {S::ReadUntil("\r\n\r\n"), S::ReadBytes(3), S::Send("HTTP/1.0 500 Oops\r\n\r\n"), S::Close()}});
    const Outcome ok = RunRequest({"GET", server.Url() + "/x", "--report-level", "2"});
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.out, "event OnAboutToSend\n"
                      "event OnConnect\n"
                      "event OnDisconnect\n"
                      "event OnSuccess CmdGET\n"
                      "status Transaction Completed\n"
                      "event OnDisconnect\n"
                      "header 38\n"
                      "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n"
                      "body 2\n"
                      "ok\n");
    EXPECT_EQ(ok.err, "");

    // An error reply is a failure event, but the call returns.
    const Outcome failed = RunRequest({"POST", server.Url() + "/x", "a b"});
    EXPECT_EQ(failed.code, 0);
    EXPECT_EQ(failed.out, "event OnAboutToSend\nevent OnConnect\nevent OnDisconnect\nevent OnFailure CmdPOST\n"
                          "event OnDisconnect\n"
                          "header 21\nHTTP/1.0 500 Oops\r\n\r\nbody 0\n");
    EXPECT_NE(server.Received(1).find("\r\n\r\na+b"), std::string::npos);
}

TEST(CliRequest, RaisedCallEndsWithTheErrorText)
{
    const Outcome refused = RunRequest({"GET", "http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out.rfind("event OnAboutToSend\nevent OnConnectionFailed\n", 0), 0u) << refused.out;
    const std::string tail = "header 0\nbody 0\nerror: Connection Failed\n";
    ASSERT_GE(refused.out.size(), tail.size());
    EXPECT_EQ(refused.out.substr(refused.out.size() - tail.size()), tail);

    // What arrived before the time-out stays visible.
    S server({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\npartial"), S::Hold()});
    const Outcome slow = RunRequest({"GET", server.Url() + "/", "--timeout", "300"});
    EXPECT_EQ(slow.code, 1);
    EXPECT_NE(slow.out.find("header 19\nHTTP/1.0 200 OK\r\n\r\nbody 7\npartial\nerror: Socket capture aborted\n"),
              std::string::npos)
        << slow.out;
}

TEST(CliRequest, UsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"GET"},
        {"FETCH", "http://127.0.0.1/"},
        {"GET", "http://127.0.0.1/", "data"},
        {"POST", "http://127.0.0.1/", "a", "b"},
        {"GET", "http://127.0.0.1/", "--timeout", "-5"},
        {"GET", "http://127.0.0.1/", "--timeout"},
        {"GET", "http://127.0.0.1/", "--proxy", "nohost"},
        {"GET", "http://127.0.0.1/", "--proxy", "127.0.0.1:0"},
        {"GET", "http://127.0.0.1/", "--proxy", ":8080"},
        {"GET", "http://127.0.0.1/", "--proxy", "127.0.0.1:65536"},
        {"GET", "http://127.0.0.1/", "--report-level", "x"},
        {"GET", "http://127.0.0.1/", "--verbose"},
    };
    for (const auto& args : bad) {
        const Outcome o = RunRequest(args);
        EXPECT_EQ(o.code, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("usage: quillpost-cli request METHOD URL"), std::string::npos);
    }
    // The highest port is a port (the call then fails on the connection, not on its arguments).
    EXPECT_NE(RunRequest({"GET", "http://127.0.0.1/", "--proxy", "127.0.0.1:65535", "--timeout", "2000"}).code, 2);

    // Asked for, the usage is the answer.
    const Outcome help = RunRequest({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: quillpost-cli request METHOD URL", 0), 0u) << help.out << help.err;
    EXPECT_EQ(help.err, "");
}

TEST(CliRequest, BuiltProgramRunsOneCall)
{
    S server({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 404 Not Found\r\n\r\nnope"), S::Close()});
    const Outcome o = RunProgram("request HEAD " + server.Url() + "/pad.xml --timeout 3000 2>&1");
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "event OnAboutToSend\nevent OnConnect\nevent OnDisconnect\nevent OnFailure CmdHEAD\n"
                     "event OnDisconnect\n"
                     "header 26\nHTTP/1.0 404 Not Found\r\n\r\nbody 4\nnope\n");
    EXPECT_EQ(server.Received(0).rfind("HEAD /pad.xml HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(RunProgram("2>/dev/null").code, 2);
}

} // namespace
