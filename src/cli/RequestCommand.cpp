#include "cli/RequestCommand.h"

#include "cli/CliOptions.h"
#include "common/TerminalText.h"
#include "net/THttpClient.h"

#include <exception>
#include <fstream>
#include <optional>

namespace {

struct Options {
    std::string method;
    std::string url;
    std::optional<std::string> data;
    int timeout = 10000;
    std::string proxy;
    int proxyPort = 0;
    int reportLevel = 0;
    std::string caFile;
    bool help = false;
};

bool ParseNumber(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    value = std::stoi(text);
    return true;
}

bool MethodTakesData(const std::string& method)
{
    return method == "POST" || method == "PUT" || method == "PATCH" || method == "TRACE";
}

bool KnownMethod(const std::string& method)
{
    return MethodTakesData(method) || method == "GET" || method == "HEAD" || method == "OPTIONS" || method == "DELETE";
}

// Fills `opt`; false on any usage error, with a one-line reason in `why`.
bool ParseArgs(const std::vector<std::string>& args, Options& opt, std::string& why)
{
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            opt.help = true; // asked for, the usage is the answer, whatever else is on the line
            return true;
        }
        if (a == "--timeout" || a == "--proxy" || a == "--report-level" || a == "--cacert") {
            if (i + 1 >= args.size()) {
                why = a + " needs a value";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--timeout") {
                if (!ParseNumber(v, opt.timeout)) {
                    why = "--timeout takes milliseconds (0 or more)";
                    return false;
                }
            } else if (a == "--cacert") {
                if (!std::ifstream(v)) {
                    why = "--cacert: cannot read " + v;
                    return false;
                }
                opt.caFile = v;
            } else if (a == "--report-level") {
                if (!ParseNumber(v, opt.reportLevel)) {
                    why = "--report-level takes a number (0 or more)";
                    return false;
                }
            } else {
                const size_t colon = v.rfind(':');
                if (colon == std::string::npos || colon == 0 || !ParseNumber(v.substr(colon + 1), opt.proxyPort) ||
                    opt.proxyPort < 1 || opt.proxyPort > 65535) {
                    why = "--proxy takes HOST:PORT";
                    return false;
                }
                opt.proxy = v.substr(0, colon);
            }
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            why = "unknown option " + a;
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() < 2) {
        why = "METHOD and URL are needed";
        return false;
    }
    opt.method = positional[0];
    opt.url = positional[1];
    if (!KnownMethod(opt.method)) {
        why = "unknown method " + opt.method;
        return false;
    }
    if (positional.size() > 3 || (positional.size() == 3 && !MethodTakesData(opt.method))) {
        why = "too many arguments";
        return false;
    }
    if (positional.size() == 3) opt.data = positional[2];
    return true;
}

void Call(THttpClient& client, const Options& opt)
{
    const std::string data = opt.data.value_or(std::string());
    if (opt.method == "GET")
        client.Get(opt.url);
    else if (opt.method == "POST")
        client.Post(opt.url, data);
    else if (opt.method == "HEAD")
        client.Head(opt.url);
    else if (opt.method == "OPTIONS")
        client.Options(opt.url);
    else if (opt.method == "DELETE")
        client.Delete(opt.url);
    else if (opt.method == "PUT")
        client.Put(opt.url, data);
    else if (opt.method == "PATCH")
        client.Patch(opt.url, data);
    else
        client.Trace(opt.url, data);
}

// The block's size in bytes as received, then the bytes with their controls other than tab
// and line breaks as visible escapes: a reply may hold anything.
void PrintBlock(std::ostream& out, const char* name, const std::string& bytes)
{
    out << name << ' ' << bytes.size() << '\n' << TerminalText::Escaped(bytes, TerminalText::Breaks::Kept);
    // Whatever follows starts on a line of its own.
    if (!bytes.empty() && bytes.back() != '\n') out << '\n';
}

} // namespace

const char* RequestCommand::Usage()
{
    return "usage: quillpost-cli request METHOD URL [DATA] [--timeout MS] [--proxy HOST:PORT] "
           "[--report-level N] [--cacert FILE]\n"
           "  METHOD: GET, POST, HEAD, OPTIONS, DELETE, PUT, PATCH, TRACE (DATA only with POST, PUT, PATCH, "
           "TRACE)\n"
           "  --timeout MS      limit of each wait, default 10000 (0: no limit)\n"
           "  --proxy HOST:PORT send the request through this proxy\n"
           "  --report-level N  print status texts of level N and below, default 0\n"
           "  --cacert FILE     trust the certificate authorities of this PEM file for https, beside\n"
           "                    the system's (the server's certificate is always verified)\n";
}

int RequestCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options opt;
    std::string why;
    if (!ParseArgs(args, opt, why)) {
        err << "quillpost-cli request: " << why << '\n' << Usage();
        return UsageError;
    }
    if (opt.help) {
        out << Usage();
        return Done;
    }

    THttpClient client;
    client.TimeOut = opt.timeout;
    client.ReportLevel = opt.reportLevel;
    client.Proxy = opt.proxy;
    client.ProxyPort = opt.proxyPort;
    client.AllowHttps = true;
    client.CaFile = opt.caFile;
    client.Body.clear();
    client.Header.clear();

    auto event = [&out](const char* name) { out << "event " << name << '\n' << std::flush; };
    client.OnAboutToSend = [&](TSockConnection*) { event("OnAboutToSend"); };
    client.OnHostResolved = [&](TSockConnection*) { event("OnHostResolved"); };
    client.OnConnect = [&](TSockConnection*) { event("OnConnect"); };
    client.OnInvalidHost = [&](TSockConnection*, bool& handled) {
        event("OnInvalidHost");
        handled = true;
    };
    client.OnConnectionFailed = [&](TSockConnection*) { event("OnConnectionFailed"); };
    client.OnDisconnect = [&](TSockConnection*) { event("OnDisconnect"); };
    client.OnRedirect = [&](TSockConnection*, bool&) { event("OnRedirect"); };
    client.OnAuthenticationNeeded = [&](TSockConnection*) { event("OnAuthenticationNeeded"); };
    client.OnSuccess = [&](THttpClient*, CmdType cmd) { out << "event OnSuccess " << CmdTypeName(cmd) << '\n'; };
    client.OnFailure = [&](THttpClient*, CmdType cmd) { out << "event OnFailure " << CmdTypeName(cmd) << '\n'; };
    client.OnStatus = [&](TSockConnection*, const std::string& text) {
        out << "status " << CliOptions::OneLine(text) << '\n';
    };

    int code = Done;
    std::string error;
    try {
        Call(client, opt);
    } catch (const std::exception& e) {
        code = Raised;
        error = e.what();
    }
    // The client reports "Destroy" and the like as it goes; those are not part of the call.
    client.OnStatus = nullptr;

    PrintBlock(out, "header", client.Header);
    PrintBlock(out, "body", client.Body);
    if (code == Raised) out << "error: " << CliOptions::OneLine(error) << '\n';
    out.flush();
    return code;
}
