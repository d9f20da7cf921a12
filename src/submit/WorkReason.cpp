#include "submit/WorkReason.h"

#include "net/HttpUrl.h"
#include "submit/Work.h"

namespace {

std::string Seconds(int ms)
{
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

} // namespace

std::string WorkReason::Words(const WorkResult& result, int timeoutMs)
{
    switch (result.Outcome) {
    case WorkOutcome::Ok: return {};
    case WorkOutcome::Cancelled: return CancelledText;
    case WorkOutcome::InvalidHost: return "host name not found";
    case WorkOutcome::NotAccepted:
    case WorkOutcome::Failed: break;
    }
    if (!result.Reason.empty()) {
        switch (result.ErrorKind) {
        case NetError::TimedOut:
        case NetError::LookupTimedOut: return timeoutMs > 0 ? "no answer in " + Seconds(timeoutMs) : "no answer";
        case NetError::LookupFailed:
        case NetError::NoAddress: return "host name not found";
        case NetError::ConnectFailed: return "connection refused";
        case NetError::CutShort: return "reply cut short";
        case NetError::HandshakeFailed: return "secure connection failed";
        case NetError::CertificateRefused: return "the server's certificate was refused";
        case NetError::ProxyRefused: return "the proxy refused the connection";
        case NetError::BodyTooLarge:
        case NetError::HeadTooLarge:
        case NetError::LineTooLong: return "reply too large";
        case NetError::AddressTooLong: return "address too long";
        case NetError::LookupCanceled:
        case NetError::Canceled: return CancelledText;
        case NetError::SocketError:
        case NetError::Other: break;
        }
        if (result.Reason == UrlErrors::Secure) return HttpsRefused;
        return result.Reason;
    }
    if (result.ReplyCode != 0 && result.ReplyCode != 200) return "server answered " + std::to_string(result.ReplyCode);
    if (result.Outcome == WorkOutcome::NotAccepted) return "the reply did not say the link was taken";
    return "no reply";
}

std::string WorkReason::Tip(const std::string& product, const std::string& outcome, int httpStatus,
                            const std::string& why)
{
    std::string tip = product + ": " + (outcome.empty() ? std::string(CancelledText) : outcome);
    if (httpStatus != 0) tip += "\nHTTP " + std::to_string(httpStatus);
    if (!why.empty() && why != outcome) tip += "\n" + why;
    return tip;
}
