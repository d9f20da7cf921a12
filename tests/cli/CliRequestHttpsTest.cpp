#include "cli/RequestCommand.h"

#include "support/TempDir.h"
#include "support/TlsServer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

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

TEST(CliRequestHttps, AnHttpsUrlIsVerifiedAgainstTheSystemStoreAndCacert)
{
    const TestCertificates certificates;
    TempDir dir;
    const std::string caFile = dir.Write("ca.pem", certificates.CaPem());
    TlsServer::Options options{certificates.MakeLeaf("DNS:localhost,IP:127.0.0.1")};
    options.Reply = "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    TlsServer server(options);

    const Outcome ok = RunRequest({"GET", server.Url() + "/pad.xml", "--cacert", caFile});
    EXPECT_EQ(ok.code, 0) << ok.out << ok.err;
    EXPECT_NE(ok.out.find("event OnSuccess CmdGET\n"), std::string::npos) << ok.out;
    EXPECT_NE(ok.out.find("body 5\nhello\n"), std::string::npos) << ok.out;
    EXPECT_EQ(server.Request(0).rfind("GET /pad.xml HTTP/1.0\r\n", 0), 0u);

    // Our own authority is no authority without --cacert.
    const Outcome refused = RunRequest({"GET", server.Url() + "/pad.xml"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.out.find("event OnConnectionFailed\n"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("error: Server certificate refused: unable to get local issuer certificate\n"),
              std::string::npos)
        << refused.out;

    const Outcome missing = RunRequest({"GET", server.Url() + "/", "--cacert", dir.File("none.pem")});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("--cacert: cannot read " + dir.File("none.pem")), std::string::npos) << missing.err;
}

// Without --cacert the system's trust store decides: a fresh process (the trust store is read
// once per process) that OpenSSL points at our authority through SSL_CERT_FILE trusts it,
// whether or not the folder SSL_CERT_DIR names is there.
TEST(CliRequestHttps, WithoutCacertTheSystemTrustStoreIsUsed)
{
    const TestCertificates certificates;
    TempDir dir;
    const std::string caFile = dir.Write("ca.pem", certificates.CaPem());
    dir.Write("empty/.keep", "");
    TlsServer server({certificates.MakeLeaf("DNS:localhost,IP:127.0.0.1")});
    for (const std::string folder : {"none", "empty"}) {
        const std::string command = "SSL_CERT_FILE=" + caFile + " SSL_CERT_DIR=" + dir.File(folder) + " " + QP_BIN_DIR +
                                    "/quillpost-cli request GET " + server.Url() + "/pad.xml";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buf[4096];
        for (size_t n = 0; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << folder << out;
        EXPECT_NE(out.find("event OnSuccess CmdGET\n"), std::string::npos) << folder << out;
    }
}

} // namespace
