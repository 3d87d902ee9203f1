#include "serial/NetworkPort.h"

#include "serial/ProbePort.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <thread>

using namespace win32;

namespace {

using Clock = std::chrono::steady_clock;

// The end of a wait; no value = no limit.
std::optional<Clock::time_point> EndAfter(DWORD timeoutMs)
{
    if (timeoutMs == INFINITE)
        return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Milliseconds until `end` for poll: -1 = no limit, 0 once it has passed.
int MsUntil(const std::optional<Clock::time_point>& end)
{
    if (!end)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*end - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Whether `end` has come. A peer that keeps sending never lets the socket
// run dry, so every wait asks this between receives, not only before polling.
bool Passed(const std::optional<Clock::time_point>& end)
{
    return end && Clock::now() >= *end;
}

LONG TimedOut(int& systemError)
{
    systemError = net::kTimedOut;
    return ERROR_TIMEOUT;
}

// Waits for `events` on the socket. 0 when ready (the peer's end of the
// stream makes it readable: the receive then tells), ERROR_TIMEOUT, or a
// broken connection as ERROR_GEN_FAILURE.
LONG ConnectionLost(int& systemError)
{
    systemError = net::kConnectionReset;
    return ERROR_GEN_FAILURE;
}

LONG AwaitSocket(net::Socket socket, short events, int timeoutMs, int& systemError)
{
    pollfd entry {socket, events, 0};
    const int ready = net::Poll(&entry, 1, timeoutMs);
    if (ready < 0) {
        systemError = net::LastError();
        return net::ResultOf(systemError);
    }
    if (ready == 0)
        return TimedOut(systemError);
    // The receive tells of a peer that ended the stream; here only a broken connection.
    if ((entry.revents & (POLLERR | POLLNVAL)) || (entry.revents & (POLLIN | POLLOUT)) == 0)
        return ConnectionLost(systemError);
    return 0;
}

// A failed send or receive: a lost connection, or what the error says.
LONG TransferFailure(int error, int& systemError)
{
    const LONG result = net::ResultOf(error);
    if (result == ERROR_GEN_FAILURE || result == ERROR_BROKEN_PIPE || error == net::kTimedOut)
        return ConnectionLost(systemError);
    systemError = error;
    return result;
}

// Name resolution on a thread of its own, so that a name server that does
// not answer cannot hold the caller past its time-out: the caller stops
// waiting, and the thread ends on its own later.
struct Resolution {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    int status = EAI_AGAIN;
    int systemError = 0;
    addrinfo* list = nullptr;

    ~Resolution()
    {
        if (list)
            ::freeaddrinfo(list);
    }
};

std::shared_ptr<Resolution> Resolve(const NetworkAddress& address, const std::optional<Clock::time_point>& end)
{
    auto resolution = std::make_shared<Resolution>();
    std::thread([resolution, host = address.host, port = std::to_string(address.port)] {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        const int status = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
        const int systemError = net::ResolutionError(status);
        std::lock_guard guard(resolution->lock);
        resolution->status = status;
        resolution->systemError = systemError;
        resolution->list = list;
        resolution->finished = true;
        resolution->done.notify_all();
    }).detach();
    std::unique_lock guard(resolution->lock);
    if (end)
        resolution->done.wait_until(guard, *end, [&] { return resolution->finished; });
    else
        resolution->done.wait(guard, [&] { return resolution->finished; });
    return resolution->finished ? resolution : nullptr;
}

// One connection attempt to one address within the deadline: the socket or kNoSocket.
net::Socket ConnectTo(const addrinfo& candidate, const std::optional<Clock::time_point>& end, int& systemError)
{
    const net::Socket socket = net::OpenStream(candidate, systemError);
    if (socket == net::kNoSocket)
        return net::kNoSocket;
    int error = 0;
    if (::connect(socket, candidate.ai_addr, static_cast<socklen_t>(candidate.ai_addrlen)) != 0) {
        error = net::LastError();
        if (net::ConnectInProgress(error))
            error = net::AwaitConnection(socket, MsUntil(end));
    }
    if (error != 0) {
        systemError = error;
        net::Close(socket);
        return net::kNoSocket;
    }
    net::SendAtOnce(socket);
    return socket;
}

// A connection that ends while it is being set up: the server turned the
// client away, as it does while another client has the port.
LONG TurnedAway(LONG result, int& systemError)
{
    if (result != ERROR_GEN_FAILURE)
        return result;
    systemError = net::kBusy;
    return ERROR_ACCESS_DENIED;
}

// How long a server that turned the client away is tried again, and the
// pause between tries.
constexpr std::chrono::milliseconds kTurnedAwayRetry {500};
constexpr std::chrono::milliseconds kTurnedAwayPause {20};

std::uint32_t RfcParity(int parity)
{
    return static_cast<std::uint32_t>(parity) + 1;  // NOPARITY .. SPACEPARITY -> 1 .. 5
}

std::uint32_t RfcControl(const serial_line::LineParams& params)
{
    if (params.rtsCtsFlow)
        return 3;
    return params.xonXoffOut || params.xonXoffIn ? 2 : 1;
}

}  // namespace

LONG CNetworkPort::Connect(const NetworkAddress& address, DWORD timeoutMs, std::unique_ptr<CNetworkPort>& port,
                           int& systemError)
{
    systemError = 0;
    port.reset();
    const auto end = EndAfter(timeoutMs);
    if (!net::Start(systemError))
        return net::ResultOf(systemError);

    const std::shared_ptr<Resolution> resolution = Resolve(address, end);
    if (!resolution)
        return TimedOut(systemError);
    if (resolution->status != 0) {
        systemError = resolution->systemError;
        return resolution->status == EAI_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : ERROR_FILE_NOT_FOUND;
    }
    // A server still releasing the device of the previous connection (the
    // program's own, a moment ago) turns new ones away for a short while.
    const auto retryEnd = std::min(end.value_or(Clock::time_point::max()), Clock::now() + kTurnedAwayRetry);
    // A try that runs out of time after a refusal ends as that refusal.
    bool turnedAway = false;
    const auto refusedOr = [&turnedAway](LONG result, int& systemError) {
        if (result == ERROR_TIMEOUT && turnedAway)
            return TurnedAway(ERROR_GEN_FAILURE, systemError);
        turnedAway = turnedAway || result == ERROR_ACCESS_DENIED;
        return result;
    };
    for (;;) {
        net::Socket socket = net::kNoSocket;
        int lastError = net::kHostUnreachable;  // no address at all
        for (const addrinfo* candidate = resolution->list; candidate && socket == net::kNoSocket;
             candidate = candidate->ai_next) {
            socket = ConnectTo(*candidate, end, lastError);
            if (socket == net::kNoSocket && lastError == net::kTimedOut)
                break;
        }
        if (socket == net::kNoSocket) {
            systemError = lastError;
            return refusedOr(lastError == net::kTimedOut ? ERROR_TIMEOUT : ERROR_FILE_NOT_FOUND, systemError);
        }
        port.reset(new CNetworkPort(socket, address.protocol, timeoutMs, end));
        const LONG result = refusedOr(port->Greet(systemError), systemError);
        if (result == 0)
            return 0;
        port.reset();
        if (result != ERROR_ACCESS_DENIED || Clock::now() >= retryEnd)
            return result;
        std::this_thread::sleep_for(kTurnedAwayPause);
    }
}

CNetworkPort::CNetworkPort(net::Socket socket, NetworkAddress::Protocol protocol, DWORD timeoutMs,
                           std::optional<Clock::time_point> openEnd)
    : m_fd(socket), m_timeoutMs(timeoutMs), m_openEnd(openEnd)
{
    if (protocol == NetworkAddress::Protocol::Rfc2217)
        m_codec = std::make_unique<CTelnetCodec>();
}

CNetworkPort::~CNetworkPort()
{
    net::Close(m_fd);
}

LONG CNetworkPort::SendAll(std::span<const std::uint8_t> bytes, std::size_t& sent, int timeoutMs, int& systemError)
{
    sent = 0;
    const auto end = timeoutMs < 0 ? std::nullopt : std::optional(Clock::now() + std::chrono::milliseconds(timeoutMs));
    while (sent < bytes.size()) {
        const long n = net::Send(m_fd, bytes.data() + sent, bytes.size() - sent);
        const int error = n < 0 ? net::LastError() : 0;
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && net::WouldBlock(error)) {
            if (LONG result = AwaitSocket(m_fd, POLLOUT, MsUntil(end), systemError))
                return result;
        } else if (n < 0) {
            return Ended(TransferFailure(error, systemError), systemError);
        }
    }
    return 0;
}

LONG CNetworkPort::Greet(int& systemError)
{
    if (!SpeaksTelnet())
        return 0;
    // The offers, and a query of the speed: a server that keeps the client
    // answers it; one that turns it away closes instead.
    std::vector<std::uint8_t> out = m_codec->Greeting();
    const std::vector<std::uint8_t> query = CTelnetCodec::ComPortRequest(CTelnetCodec::kSetBaudRate, 0);
    out.insert(out.end(), query.begin(), query.end());
    std::size_t sent = 0;
    if (LONG result = SendAll(out, sent, MsUntil(m_openEnd), systemError))
        return TurnedAway(result, systemError);
    return AwaitAnswers([this] { return m_codec->Answer(CTelnetCodec::kSetBaudRate).has_value(); }, m_openEnd,
                        systemError);
}

LONG CNetworkPort::AwaitAnswers(const std::function<bool()>& answered,
                                const std::optional<std::chrono::steady_clock::time_point>& end, int& systemError)
{
    std::uint8_t dropped[512];  // data that comes while the line is set goes nowhere
    std::size_t received = 0;
    while (!answered()) {
        // A server that refused the COM port option answers nothing more of it.
        if (m_codec->ComPortRefused()) {
            systemError = 0;
            return ERROR_NOT_SUPPORTED;
        }
        std::size_t got = 0;
        bool more = false;
        LONG result = ReceiveOnce(dropped, sizeof dropped, got, more, received, systemError);
        if (result == 0) {
            if (answered())
                break;
            if (Passed(end))
                result = TimedOut(systemError);
            else if (!more)
                result = AwaitSocket(m_fd, POLLIN, MsUntil(end), systemError);
        }
        if (result == ERROR_TIMEOUT && received > 0)
            systemError = net::kProtocolError;  // the server spoke, but never answered
        if (result)
            return TurnedAway(result, systemError);
    }
    return 0;
}

LONG CNetworkPort::SendAnswers(int& systemError)
{
    if (!SpeaksTelnet())
        return 0;
    // Answers never hold a read: what the socket cannot take now waits for
    // the next receive. A peer that keeps asking and never reads its answers
    // gets no more than the limit.
    const std::vector<std::uint8_t> answers = m_codec->TakeAnswers();
    const std::size_t room = kUnsentAnswersLimit - std::min(kUnsentAnswersLimit, m_unsentAnswers.size());
    m_unsentAnswers.insert(m_unsentAnswers.end(), answers.begin(), answers.begin() + std::min(room, answers.size()));
    std::size_t sent = 0;
    while (sent < m_unsentAnswers.size()) {
        const long n = net::Send(m_fd, m_unsentAnswers.data() + sent, m_unsentAnswers.size() - sent);
        const int error = n < 0 ? net::LastError() : 0;
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (n < 0 && net::WouldBlock(error))
            break;
        else if (n < 0)
            return TransferFailure(error, systemError);
    }
    m_unsentAnswers.erase(m_unsentAnswers.begin(), m_unsentAnswers.begin() + static_cast<std::ptrdiff_t>(sent));
    return 0;
}

LONG CNetworkPort::ReceiveOnce(std::uint8_t* data, std::size_t room, std::size_t& got, bool& more, std::size_t& received,
                               int& systemError)
{
    got = 0;
    more = false;
    long n = 0;
    int error = 0;
    {
        std::lock_guard guard(m_firstBytesLock);
        n = net::Receive(m_fd, data, room);
        if (n < 0)
            error = net::LastError();
        else if (!SpeaksTelnet() && m_firstBytes.size() <= kRefusalTextLimit)
            m_firstBytes.insert(m_firstBytes.end(), data,
                                data + std::min<std::size_t>(n, kRefusalTextLimit + 1 - m_firstBytes.size()));
    }
    if (n == 0)
        return Ended(ConnectionLost(systemError), systemError);
    if (n < 0)
        return net::WouldBlock(error) ? 0 : Ended(TransferFailure(error, systemError), systemError);
    received += static_cast<std::size_t>(n);
    more = true;
    // The server's small answers each wait for our acknowledgement when it
    // batches its writes; a delayed one would cost up to 40 ms a round.
    net::AcknowledgeAtOnce(m_fd);
    if (!SpeaksTelnet()) {
        got = static_cast<std::size_t>(n);
        return 0;
    }
    // Telnet never makes data longer, so it decodes in place.
    got = m_codec->Decode(std::span(data, static_cast<std::size_t>(n)), data);
    {
        const CTelnetCodec::LineErrorCounts& errors = m_codec->LineErrors();
        std::lock_guard guard(m_countersLock);
        m_counters = {errors.framing, errors.parity, errors.overrun, errors.breaks};
    }
    return SendAnswers(systemError);
}

bool CNetworkPort::SentOnlyText() const
{
    // Over Telnet the server refuses before the line is set (TurnedAway).
    if (SpeaksTelnet())
        return false;
    std::lock_guard guard(m_firstBytesLock);
    if (m_firstBytes.size() > kRefusalTextLimit)
        return false;
    std::vector<std::uint8_t> sent = m_firstBytes;
    sent.resize(kRefusalTextLimit + 1);
    const long queued = net::Receive(m_fd, sent.data() + m_firstBytes.size(), sent.size() - m_firstBytes.size(), true);
    sent.resize(m_firstBytes.size() + static_cast<std::size_t>(std::max(queued, 0L)));
    const auto text = [](std::uint8_t c) { return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || c == '\t'; };
    return !sent.empty() && sent.size() <= kRefusalTextLimit && sent.back() == '\n'
        && std::all_of(sent.begin(), sent.end(), text);
}

LONG CNetworkPort::Ended(LONG result, int& systemError) const
{
    return result == ERROR_GEN_FAILURE && SentOnlyText() ? TurnedAway(result, systemError) : result;
}

LONG CNetworkPort::PeerClosed(int& systemError) const
{
    return Ended(ConnectionLost(systemError), systemError);
}

LONG CNetworkPort::AwaitRefusal(DWORD timeoutMs, int& systemError)
{
    const auto end = EndAfter(timeoutMs);
    std::uint8_t dropped[kRefusalTextLimit + 1];
    while (!SpeaksTelnet() && m_firstBytes.size() <= kRefusalTextLimit) {
        if (LONG result = AwaitSocket(m_fd, POLLIN, MsUntil(end), systemError)) {
            if (result != ERROR_TIMEOUT)
                return result;
            systemError = 0;
            break;
        }
        std::size_t got = 0;
        std::size_t received = 0;
        bool more = false;
        if (LONG result = ReceiveOnce(dropped, sizeof dropped, got, more, received, systemError))
            return result;
    }
    return 0;
}

LONG CNetworkPort::Read(std::uint8_t* buffer, DWORD count, DWORD& done, bool waitAll, DWORD timeoutMs,
                        std::size_t& received, int& systemError)
{
    systemError = 0;
    received = 0;
    const auto end = EndAfter(timeoutMs);
    while (done < count) {
        std::size_t got = 0;
        bool more = false;
        if (LONG result = ReceiveOnce(buffer + done, count - done, got, more, received, systemError))
            return result;
        done += static_cast<DWORD>(got);
        // An immediate read takes one receive, even one that held only
        // Telnet: a socket that stays readable is reported again, and a
        // peer that floods cannot hold the caller here.
        if (!waitAll || done == count)
            break;
        if (Passed(end))
            return TimedOut(systemError);
        if (more)
            continue;
        if (LONG result = AwaitSocket(m_fd, POLLIN, MsUntil(end), systemError))
            return result;
    }
    return 0;
}

LONG CNetworkPort::Write(const std::uint8_t* data, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    systemError = 0;
    const std::span<const std::uint8_t> bytes(data, count);
    std::vector<std::uint8_t> encoded;
    if (SpeaksTelnet())
        CTelnetCodec::EncodeData(bytes, encoded);
    const std::span<const std::uint8_t> wire = SpeaksTelnet() ? std::span<const std::uint8_t>(encoded) : bytes;
    std::size_t sent = 0;
    const LONG result = SendAll(wire, sent, timeoutMs == INFINITE ? -1 : static_cast<int>(timeoutMs), systemError);
    done = static_cast<DWORD>(SpeaksTelnet() ? CTelnetCodec::DataBytesIn(bytes, sent) : sent);
    return result;
}

LONG CNetworkPort::SetLine(const serial_line::LineParams& params, int& systemError)
{
    systemError = 0;
    if (!SpeaksTelnet()) {
        m_line = params;
        return 0;
    }
    using Command = CTelnetCodec::ComPortCommand;
    struct Request {
        Command command;
        std::uint32_t value;
        std::uint32_t confirmed;
    };
    const serial_line::LineParams was = m_confirmed.value_or(serial_line::LineParams {});
    const Request all[] = {
        {CTelnetCodec::kSetBaudRate, params.baudRate, was.baudRate},
        {CTelnetCodec::kSetDataSize, std::uint32_t(params.byteSize), std::uint32_t(was.byteSize)},
        {CTelnetCodec::kSetParity, RfcParity(params.parity), RfcParity(was.parity)},
        {CTelnetCodec::kSetStopSize, params.twoStopBits ? 2u : 1u, was.twoStopBits ? 2u : 1u},
        {CTelnetCodec::kSetControl, RfcControl(params), RfcControl(was)},
    };
    std::vector<Request> asked;
    std::vector<std::uint8_t> out;
    for (const Request& request : all) {
        if (m_confirmed && request.value == request.confirmed)
            continue;
        m_codec->Forget(request.command);
        const std::vector<std::uint8_t> bytes = CTelnetCodec::ComPortRequest(request.command, request.value);
        out.insert(out.end(), bytes.begin(), bytes.end());
        asked.push_back(request);
    }
    if (!m_confirmed) {
        // Line errors are what the program counts; modem lines it does not watch.
        for (const auto& [command, mask] : {std::pair(CTelnetCodec::kSetLineStateMask, 0x1Eu),
                                            std::pair(CTelnetCodec::kSetModemStateMask, 0u)}) {
            const std::vector<std::uint8_t> bytes = CTelnetCodec::ComPortRequest(command, mask);
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    }
    std::size_t sent = 0;
    if (LONG result = SendAll(out, sent, static_cast<int>(m_timeoutMs), systemError))
        return TurnedAway(result, systemError);

    const auto end = m_confirmed ? EndAfter(m_timeoutMs) : m_openEnd;
    const auto answered = [&] {
        return std::all_of(asked.begin(), asked.end(), [&](const Request& r) { return m_codec->Answer(r.command); });
    };
    if (LONG result = AwaitAnswers(answered, end, systemError))
        return result;
    for (const Request& request : asked) {
        if (*m_codec->Answer(request.command) != request.value)
            return ERROR_INVALID_PARAMETER;
    }
    m_line = params;
    m_confirmed = params;
    return 0;
}

int CNetworkPort::ReadLineCounters(LineCounters& counters) const
{
    std::lock_guard guard(m_countersLock);
    counters = m_counters;
    return 0;
}

int ProbeNetworkPort(const NetworkAddress& address, DWORD timeoutMs, std::error_code* reason)
{
    std::unique_ptr<CNetworkPort> port;
    int systemError = 0;
    LONG result = CNetworkPort::Connect(address, timeoutMs, port, systemError);
    if (result == ERROR_SUCCESS)
        result = port->AwaitRefusal(std::min<DWORD>(timeoutMs, CNetworkPort::kRefusalWaitMs), systemError);
    // A failure always keeps a reason: one without an errno of its own (a
    // name that did not resolve) reads as an unreachable host.
    if (reason)
        *reason = result == ERROR_SUCCESS ? std::error_code()
                                          : net::ErrorCodeOf(systemError ? systemError : net::kHostUnreachable);
    switch (result) {
    case ERROR_SUCCESS: return PortFree;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return PortAbsent;
    case ERROR_ACCESS_DENIED: return PortBusy;
    default: return PortUnknown;
    }
}
