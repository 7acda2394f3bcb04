// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one thread that talks to Redis for a directory instance, so that the
// event loop never waits on the store. Work is queued to it; answers are
// posted back to the event loop. Every command has a short time-out: an
// unreachable store makes calls fail fast ("unavailable"), and the link
// reconnects once a second.
//
// Layout in Redis, for game G and group name N, K = sameNameKey(N)
// ("rabuscal-directory:" in front):
//   g:G|K  string "instance#connection|address|N", expiring after the TTL;
//          the instance that owns it refreshes it every TTL/4
//   o:G    sorted set of name keys, scored by the store's clock at the first
//          announcement: the order of the lists, and who was first when two
//          instances claim one name
// A name whose g: key has expired (its instance died) is no longer listed
// and is removed from o:G by the next list or announcement of the game.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "directory/group_registry.h"
#include "protocol/payloads.h"

struct redisContext;
struct redisReply;

namespace rabuscal::directory {

struct RedisSettings {
    std::string host = "127.0.0.1";
    int port = 6379;
    std::string user;      // empty: the default user
    std::string password;  // empty: no AUTH
    std::chrono::milliseconds ttl{20000};
    std::chrono::milliseconds timeout{400};
};

class RedisLink {
  public:
    // Runs a task on the event loop's thread.
    using Post = std::function<void(std::function<void()>)>;
    using Log = std::function<void(const std::string&)>;

    enum class Answer { Added, NameTaken, GameFull, Exists, Missing, Unavailable };
    using Done = std::function<void(Answer)>;
    using Listed = std::function<void(std::optional<std::vector<protocol::Group>>)>;
    // A group of this instance that another instance took while the store
    // was out of reach.
    using Lost = std::function<void(std::string gameId, std::string name, ConnectionId owner)>;

    RedisLink(RedisSettings settings, Post post, Log log, Lost lost);
    ~RedisLink();  // finishes the queued work (bounded by the time-outs), then stops

    // Starts the thread: it connects, then does the work queued so far.
    void start();

    void add(std::string gameId, std::string name, std::string address, ConnectionId owner,
             Done done);
    void remove(std::string gameId, std::string name);  // this instance's group
    void removeAllOf(ConnectionId owner);
    void exists(std::string gameId, std::string name, Done done);
    void list(std::string gameId, Listed done);

    // Whether the last command reached the store; read from any thread.
    bool reachable() const { return reachable_; }
    std::size_t queued() const;

  private:
    struct Owned {
        std::string value;
        std::string score;  // empty until the store has seen the group
        ConnectionId owner;
    };
    using Job = std::function<void()>;

    void enqueue(Job job);
    void run();
    bool connect();
    void disconnect(const std::string& why);
    // Logs loudly when the store may evict keys.
    void checkEviction(const std::string& where);
    // Announces or refreshes one group; returns the script's answer or nothing.
    std::optional<Answer> announce(const std::string& gameId, const std::string& name, Owned& group,
                                   std::size_t maxGroups);
    // One command; nothing when the store is or just went out of reach.
    redisReply* command(std::initializer_list<std::string_view> words);
    void refreshAll();
    void withdraw(const std::string& gameId, const std::string& name, const Owned& group);
    void report(Job job) { post_(std::move(job)); }

    RedisSettings settings_;
    Post post_;
    Log log_;
    Lost lost_;
    std::string instance_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    // Lists asked for while one read of the game is queued share that read.
    std::map<std::string, std::vector<Listed>> listWaiters_;
    bool stopping_ = false;
    std::atomic<bool> reachable_{false};

    // Only the link's thread touches these.
    redisContext* context_ = nullptr;
    std::map<std::pair<std::string, std::string>, Owned> owned_;
    std::chrono::steady_clock::time_point nextConnect_{};
    std::chrono::steady_clock::time_point nextRefresh_{};
    bool everConnected_ = false;
    bool reportedDown_ = false;

    std::thread thread_;
};

}  // namespace rabuscal::directory
