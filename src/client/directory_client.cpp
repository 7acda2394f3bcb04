#include "client/directory_client.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "protocol/commands.h"
#include "protocol/payloads.h"
#include "rabuscal_config.h"

namespace rabuscal::client {

namespace dir = protocol::directory;

namespace {

constexpr std::string_view kReplyPrefix = ">>> ";
constexpr std::string_view kConnecting = "Acessando servidor principal...";
constexpr std::string_view kDisconnected = "Desconectado.";
constexpr std::string_view kFailed = "Falha no acesso ao servidor.";

// A directory that floods us is read in bounded pieces.
constexpr qint64 kReadBufferBytes = 256 * 1024;

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray replyText(std::string_view payload) {
    return bytes(kReplyPrefix) + bytes(payload);
}

std::string groupRequest(std::string_view command, std::string_view groupName) {
    std::string payload(dir::kGameId);
    payload.append(1, '|').append(groupName);
    return protocol::composeWith(protocol::kDirectorySeparator, command, payload);
}

}  // namespace

DirectoryClient::DirectoryClient(QObject* parent)
    : DirectoryClient(QString::fromLatin1(config::kDirectoryHost), config::kDirectoryPort, parent) {
}

DirectoryClient::DirectoryClient(const QString& host, quint16 port, QObject* parent)
    : QObject(parent), host_(host), port_(port) {
    Cli2.setReadBufferSize(kReadBufferBytes);
    connect(&Cli2, &QAbstractSocket::stateChanged, this,
            [this](QAbstractSocket::SocketState state) {
                // One "connecting" per attempt, whether or not a name lookup comes first.
                const bool starting = state == QAbstractSocket::HostLookupState ||
                                      (state == QAbstractSocket::ConnectingState &&
                                       lastState_ != QAbstractSocket::HostLookupState);
                lastState_ = state;
                if (starting) Cli2Connecting();
            });
    connect(&Cli2, &QAbstractSocket::connected, this, &DirectoryClient::Cli2Connect);
    connect(&Cli2, &QAbstractSocket::disconnected, this, &DirectoryClient::Cli2Disconnect);
    connect(&Cli2, &QAbstractSocket::errorOccurred, this, &DirectoryClient::Cli2Error);
    connect(&Cli2, &QIODevice::readyRead, this, &DirectoryClient::Cli2Read);
}

DirectoryClient::~DirectoryClient() {
    // The program ends: close without sending anything and without reporting.
    Cli2.disconnect(this);
    Cli2.abort();
}

std::string DirectoryClient::listRequest() {
    return protocol::composeWith(protocol::kDirectorySeparator, dir::kList, dir::kGameId);
}

std::string DirectoryClient::activateRequest(std::string_view groupName) {
    return groupRequest(dir::kActivate, groupName);
}

std::string DirectoryClient::deactivateRequest(std::string_view groupName) {
    return groupRequest(dir::kDeactivate, groupName);
}

void DirectoryClient::sendRequest(const std::string& message) {
    pending_ = message;
    if (isActive())
        write(pending_);
    else
        open();
}

void DirectoryClient::askGroups() {
    emit statusForMain(QByteArray());
    setLamp(Lamp::Red);
    sendRequest(listRequest());
}

void DirectoryClient::activateGroup(std::string_view groupName) {
    sendRequest(activateRequest(groupName));
}

void DirectoryClient::deactivateGroup(std::string_view groupName) {
    sendRequest(deactivateRequest(groupName));
    clearGroups();
    // The service's answer, or the connection itself, may come in meanwhile.
    QCoreApplication::processEvents();
    if (isActive()) write(listRequest());
}

bool DirectoryClient::isActive() const {
    return Cli2.state() == QAbstractSocket::ConnectedState;
}

std::string DirectoryClient::addressAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= groupAddresses_.size()) return {};
    return groupAddresses_[static_cast<std::size_t>(index)];
}

bool DirectoryClient::flushAndClose(int msecs) {
    const QDeadlineTimer deadline(msecs);
    while (isActive() && Cli2.bytesToWrite() > 0)
        if (!Cli2.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    const bool flushed = Cli2.bytesToWrite() == 0;
    if (flushed)
        Cli2.disconnectFromHost();
    else
        Cli2.abort();
    return flushed;
}

void DirectoryClient::open() {
    switch (Cli2.state()) {
        case QAbstractSocket::HostLookupState:
        case QAbstractSocket::ConnectingState:
            return;  // the attempt under way will send the pending message
        case QAbstractSocket::ClosingState:
            Cli2.abort();
            break;
        default:
            break;
    }
    reader_ = std::make_unique<protocol::ChunkReader>(protocol::kDirectorySeparator);
    Cli2.connectToHost(host_, port_);
}

void DirectoryClient::write(std::string_view message) {
    Cli2.write(message.data(), static_cast<qint64>(message.size()));
}

void DirectoryClient::Cli2Connecting() {
    setLamp(Lamp::Red);
    emit statusForMain(bytes(kConnecting));
}

void DirectoryClient::Cli2Connect() {
    if (pending_.empty()) return;
    write(pending_);
    pending_.clear();  // sent or not, it is not sent twice
}

void DirectoryClient::Cli2Disconnect() {
    setLamp(Lamp::Maroon);
    emit statusForMain(bytes(kDisconnected));
    emit connectionLost();
}

void DirectoryClient::Cli2Error(QAbstractSocket::SocketError error) {
    // The service closing the connection is a disconnection, reported as such.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    emit statusForMain(bytes(kFailed));
    if (!isActive()) setLamp(Lamp::Maroon);
    emit connectionFailed();
}

void DirectoryClient::Cli2Read() {
    const QByteArray chunk = Cli2.readAll();
    if (chunk.isEmpty() || !reader_) return;
    setLamp(Lamp::Lime);
    reader_->feed(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())),
                  [this](std::string_view command, std::string_view payload) {
                      DirectoryReply(command, payload);
                      return true;
                  });
}

void DirectoryClient::DirectoryReply(std::string_view command, std::string_view payload) {
    if (command == dir::kStatus)
        emit statusForServerWindow(replyText(payload));
    else if (command == dir::kMessage)
        emit statusForMain(replyText(payload));
    else if (command == dir::kGroups)
        replaceGroups(payload);
}

void DirectoryClient::replaceGroups(std::string_view payload) {
    // A last record without its "|" or "^" (only a cut reply has one) is left out.
    groupNames_.clear();
    groupAddresses_.clear();
    for (protocol::Group& group : protocol::readGroupList(payload)) {
        groupNames_.push_back(std::move(group.name));
        groupAddresses_.push_back(std::move(group.address));
    }
    emit groupsChanged();
}

void DirectoryClient::clearGroups() {
    // Names and addresses go together, so an index always means one group.
    groupNames_.clear();
    groupAddresses_.clear();
    emit groupsChanged();
}

void DirectoryClient::setLamp(Lamp colour) {
    if (lamp_ == colour) return;
    lamp_ = colour;
    emit lampChanged(colour);
}

GroupAnnouncer::GroupAnnouncer(std::string groupName, const QString& host, quint16 port,
                               QObject* parent)
    : QObject(parent), groupName_(std::move(groupName)), client_(host, port) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMsecs);
    connect(&retry_, &QTimer::timeout, this, &GroupAnnouncer::announce);
    connect(&client_, &DirectoryClient::statusForServerWindow, this, &GroupAnnouncer::logLine);
    connect(&client_, &DirectoryClient::statusForMain, this, [this](const QByteArray& text) {
        if (!text.isEmpty()) emit logLine(text);
    });
    connect(&client_, &DirectoryClient::connectionLost, this, &GroupAnnouncer::retryLater);
    connect(&client_, &DirectoryClient::connectionFailed, this, &GroupAnnouncer::retryLater);
}

GroupAnnouncer::~GroupAnnouncer() = default;

void GroupAnnouncer::announce() {
    announced_ = true;
    client_.activateGroup(groupName_);
}

void GroupAnnouncer::withdraw(int msecs) {
    announced_ = false;
    retry_.stop();
    if (client_.isActive()) client_.sendRequest(DirectoryClient::deactivateRequest(groupName_));
    client_.flushAndClose(msecs);
}

void GroupAnnouncer::retryLater() {
    // The group went with the connection; it comes back with the next one.
    if (announced_ && !client_.isActive() && !retry_.isActive()) retry_.start();
}

}  // namespace rabuscal::client
