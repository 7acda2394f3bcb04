// SPDX-License-Identifier: GPL-3.0-or-later
#include "directory/store/redis_link.h"

#include <hiredis/hiredis.h>
#include <unistd.h>

#include <limits>
#include <random>

#include "directory/group_name.h"
#include "directory/limits.h"

namespace rabuscal::directory {

namespace {

using Clock = std::chrono::steady_clock;

const std::string kPrefix = "rabuscal-directory:";
constexpr std::size_t kNoGameLimit = std::numeric_limits<int>::max();

std::string groupKey(const std::string& gameId, const std::string& name) {
    return kPrefix + "g:" + gameId + "|" + name;
}
std::string namePrefix(const std::string& gameId) {
    return kPrefix + "g:" + gameId + "|";
}
std::string orderKey(const std::string& gameId) {
    return kPrefix + "o:" + gameId;
}

// Announces or refreshes a group in one step, so that two instances never
// both get a name. Answers {1, score} (listed), {0} (taken), {2} (game full).
// The earlier announcement wins: a group that comes back with its first score
// (after a restart of the store, or an eviction) takes its name back from a
// later one, whose instance then finds it taken at its next refresh.
const std::string kAnnounce = R"lua(
local held = redis.call('GET', KEYS[1])
if held == ARGV[1] then
  redis.call('PEXPIRE', KEYS[1], ARGV[2])
  local score = redis.call('ZSCORE', KEYS[2], ARGV[6])
  if not score then
    score = ARGV[4]
    if score == '' then
      local now = redis.call('TIME')
      score = now[1] .. string.format('%06d', tonumber(now[2]))
    end
    redis.call('ZADD', KEYS[2], score, ARGV[6])
  end
  return {1, score}
end
if held then
  if ARGV[4] == '' then return {0} end
  local heldScore = redis.call('ZSCORE', KEYS[2], ARGV[6])
  if heldScore and tonumber(heldScore) <= tonumber(ARGV[4]) then return {0} end
  redis.call('SET', KEYS[1], ARGV[1], 'PX', ARGV[2])
  redis.call('ZADD', KEYS[2], ARGV[4], ARGV[6])
  return {1, ARGV[4]}
end
local live = 0
for _, name in ipairs(redis.call('ZRANGE', KEYS[2], 0, -1)) do
  if redis.call('EXISTS', ARGV[5] .. name) == 1 then live = live + 1
  else redis.call('ZREM', KEYS[2], name) end
end
if live >= tonumber(ARGV[3]) then return {2} end
local score = ARGV[4]
if score == '' then
  local now = redis.call('TIME')
  score = now[1] .. string.format('%06d', tonumber(now[2]))
end
redis.call('SET', KEYS[1], ARGV[1], 'PX', ARGV[2])
redis.call('ZADD', KEYS[2], score, ARGV[6])
return {1, score}
)lua";

// The live groups of a game in order: name, value, name, value...
const std::string kList = R"lua(
local out = {}
for _, name in ipairs(redis.call('ZRANGE', KEYS[1], 0, -1)) do
  local value = redis.call('GET', ARGV[1] .. name)
  if value then out[#out + 1] = name; out[#out + 1] = value
  else redis.call('ZREM', KEYS[1], name) end
end
return out
)lua";

// Withdraws a group only if this instance still holds it.
const std::string kWithdraw = R"lua(
if redis.call('GET', KEYS[1]) == ARGV[1] then
  redis.call('DEL', KEYS[1])
  redis.call('ZREM', KEYS[2], ARGV[2])
end
return 0
)lua";

struct ReplyPtr {
    redisReply* reply;
    ~ReplyPtr() {
        if (reply) freeReplyObject(reply);
    }
};

std::string text(const redisReply* reply) {
    return reply && (reply->type == REDIS_REPLY_STRING || reply->type == REDIS_REPLY_STATUS)
               ? std::string(reply->str, reply->len)
               : std::string();
}

std::string makeInstanceName() {
    std::random_device random;
    const auto high = static_cast<unsigned long long>(random()) << 32;
    return std::to_string(::getpid()) + "-" + std::to_string(high | random());
}

}  // namespace

RedisLink::RedisLink(RedisSettings settings, Post post, Log log, Lost lost)
    : settings_(std::move(settings)),
      post_(std::move(post)),
      log_(std::move(log)),
      lost_(std::move(lost)),
      instance_(makeInstanceName()) {}

void RedisLink::start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
}

RedisLink::~RedisLink() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    if (context_) redisFree(context_);
}

std::size_t RedisLink::queued() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

void RedisLink::enqueue(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void RedisLink::run() {
    for (;;) {
        std::deque<Job> batch;
        {
            std::unique_lock lock(mutex_);
            const auto until = context_ ? nextRefresh_ : nextConnect_;
            wake_.wait_until(lock, until, [&] { return stopping_ || !jobs_.empty(); });
            if (stopping_ && jobs_.empty()) return;
            batch.swap(jobs_);
            if (!context_ && !stopping_ && Clock::now() >= nextConnect_) {
                lock.unlock();
                connect();
            }
        }
        for (Job& job : batch) job();
        if (context_ && Clock::now() >= nextRefresh_) refreshAll();
    }
}

bool RedisLink::connect() {
    const std::string where = settings_.host + ":" + std::to_string(settings_.port);
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(settings_.timeout).count();
    const timeval timeout{static_cast<time_t>(micros / 1000000),
                          static_cast<suseconds_t>(micros % 1000000)};
    context_ = redisConnectWithTimeout(settings_.host.c_str(), settings_.port, timeout);
    if (!context_ || context_->err) {
        const std::string why = context_ ? context_->errstr : "out of memory";
        if (context_) redisFree(context_);
        context_ = nullptr;
        nextConnect_ = Clock::now() + std::chrono::seconds(1);
        if (!reportedDown_)
            log_("store " + where + " unreachable (" + why +
                 "); serving this instance's groups, retrying every second");
        reportedDown_ = true;
        return false;
    }
    redisSetTimeout(context_, timeout);
    if (!settings_.password.empty()) {
        ReplyPtr reply{settings_.user.empty()
                           ? command({"AUTH", settings_.password})
                           : command({"AUTH", settings_.user, settings_.password})};
        if (!reply.reply || reply.reply->type == REDIS_REPLY_ERROR) {
            const std::string why = reply.reply ? text(reply.reply) : "no answer";
            if (context_) redisFree(context_);
            context_ = nullptr;
            reachable_ = false;
            nextConnect_ = Clock::now() + std::chrono::seconds(1);
            if (!reportedDown_)
                log_("WARNING: store " + where + " refused the password (" + why + ")");
            reportedDown_ = true;
            return false;
        }
    }
    checkEviction(where);
    if (!context_) return false;
    log_("store " + where + " connected" +
         (everConnected_ && !owned_.empty() ? ", announcing this instance's groups again" : ""));
    everConnected_ = true;
    reportedDown_ = false;
    reachable_ = true;
    refreshAll();  // a restarted store has lost them
    return context_ != nullptr;
}

void RedisLink::checkEviction(const std::string& where) {
    // CONFIG may be renamed away; INFO says the same.
    std::string policy, maxmemory;
    ReplyPtr info{command({"INFO", "memory"})};
    const std::string all = info.reply ? text(info.reply) : std::string();
    auto field = [&](const std::string& name) {
        const std::size_t at = all.find(name + ":");
        if (at == std::string::npos) return std::string();
        const std::size_t from = at + name.size() + 1;
        return all.substr(from, all.find_first_of("\r\n", from) - from);
    };
    policy = field("maxmemory_policy");
    maxmemory = field("maxmemory");
    if (policy.empty() || policy == "noeviction" || maxmemory == "0") return;
    log_("WARNING: store " + where + " may evict keys (maxmemory-policy " + policy +
         ", maxmemory " + maxmemory +
         "): a group evicted is out of every list until its instance refreshes it; "
         "set maxmemory-policy noeviction");
}

void RedisLink::disconnect(const std::string& why) {
    if (!context_) return;
    redisFree(context_);
    context_ = nullptr;
    reachable_ = false;
    reportedDown_ = true;
    nextConnect_ = Clock::now() + std::chrono::seconds(1);
    log_("store lost (" + why + "); serving this instance's groups, retrying every second");
}

std::optional<RedisLink::Answer> RedisLink::announce(const std::string& gameId,
                                                     const std::string& name, Owned& group,
                                                     std::size_t maxGroups) {
    if (!context_) return std::nullopt;
    const std::string ttl = std::to_string(settings_.ttl.count());
    const std::string max = std::to_string(maxGroups);
    ReplyPtr reply{command({"EVAL", kAnnounce, "2", groupKey(gameId, name), orderKey(gameId),
                            group.value, ttl, max, group.score, namePrefix(gameId), name})};
    if (!reply.reply) return std::nullopt;
    const redisReply* r = reply.reply;
    if (r->type != REDIS_REPLY_ARRAY || r->elements < 1 ||
        r->element[0]->type != REDIS_REPLY_INTEGER) {
        log_("store answered an announcement oddly: " + text(r));
        return std::nullopt;
    }
    switch (r->element[0]->integer) {
        case 1:
            if (r->elements > 1) group.score = text(r->element[1]);
            return Answer::Added;
        case 2:
            return Answer::GameFull;
        default:
            return Answer::NameTaken;
    }
}

redisReply* RedisLink::command(std::initializer_list<std::string_view> words) {
    if (!context_) return nullptr;
    std::vector<const char*> argv;
    std::vector<std::size_t> lengths;
    for (std::string_view word : words) {
        argv.push_back(word.data());
        lengths.push_back(word.size());
    }
    auto* reply = static_cast<redisReply*>(
        redisCommandArgv(context_, static_cast<int>(argv.size()), argv.data(), lengths.data()));
    if (!reply) disconnect(context_->errstr);
    return reply;
}

void RedisLink::refreshAll() {
    nextRefresh_ = Clock::now() + settings_.ttl / 4;
    for (auto at = owned_.begin(); at != owned_.end() && context_;) {
        const auto& [gameId, name] = at->first;
        const std::optional<Answer> answer = announce(gameId, name, at->second, kNoGameLimit);
        if (answer == Answer::NameTaken) {
            // The name as its host typed it ends the value.
            const std::string& value = at->second.value;
            const std::size_t bar = value.find('|', value.find('|') + 1);
            const std::string typed = bar == std::string::npos ? name : value.substr(bar + 1);
            log_("group " + gameId + "|" + typed +
                 " went to an earlier announcement on another instance");
            report([lost = lost_, gameId, typed, owner = at->second.owner] {
                lost(gameId, typed, owner);
            });
            at = owned_.erase(at);
        } else {
            ++at;
        }
    }
}

void RedisLink::withdraw(const std::string& gameId, const std::string& name, const Owned& group) {
    if (!context_) return;  // the key expires by itself
    ReplyPtr reply{command(
        {"EVAL", kWithdraw, "2", groupKey(gameId, name), orderKey(gameId), group.value, name})};
}

void RedisLink::add(std::string gameId, std::string name, std::string address, ConnectionId owner,
                    Done done) {
    std::string value = instance_ + "#" + std::to_string(owner) + "|" + address + "|" + name;
    enqueue([this, gameId = std::move(gameId), key = sameNameKey(name), value = std::move(value),
             owner, done = std::move(done)]() mutable {
        Owned group{std::move(value), {}, owner};
        // Not kept when the store did not take it: the announcement is refused.
        const Answer answer =
            announce(gameId, key, group, kMaxGroupsPerGame).value_or(Answer::Unavailable);
        if (answer == Answer::Added) owned_[{gameId, key}] = std::move(group);
        report([done = std::move(done), answer] { done(answer); });
    });
}

void RedisLink::remove(std::string gameId, std::string typed) {
    enqueue([this, gameId = std::move(gameId), name = sameNameKey(typed)] {
        const auto at = owned_.find({gameId, name});
        if (at == owned_.end()) return;
        withdraw(gameId, name, at->second);
        owned_.erase(at);
    });
}

void RedisLink::removeAllOf(ConnectionId owner) {
    enqueue([this, owner] {
        for (auto at = owned_.begin(); at != owned_.end();) {
            if (at->second.owner != owner) {
                ++at;
                continue;
            }
            withdraw(at->first.first, at->first.second, at->second);
            at = owned_.erase(at);
        }
    });
}

void RedisLink::exists(std::string gameId, std::string name, Done done) {
    enqueue([this, key = groupKey(gameId, sameNameKey(name)), done = std::move(done)] {
        Answer answer = Answer::Unavailable;
        if (context_) {
            ReplyPtr reply{command({"EXISTS", key})};
            if (reply.reply && reply.reply->type == REDIS_REPLY_INTEGER)
                answer = reply.reply->integer ? Answer::Exists : Answer::Missing;
        }
        report([done = std::move(done), answer] { done(answer); });
    });
}

void RedisLink::list(std::string gameId, Listed done) {
    {
        std::lock_guard lock(mutex_);
        std::vector<Listed>& waiters = listWaiters_[gameId];
        waiters.push_back(std::move(done));
        if (waiters.size() > 1) return;  // the queued read answers this one too
    }
    enqueue([this, gameId = std::move(gameId)] {
        std::vector<Listed> waiters;
        {
            std::lock_guard lock(mutex_);
            waiters.swap(listWaiters_[gameId]);
            listWaiters_.erase(gameId);
        }
        std::optional<std::vector<protocol::Group>> groups;
        if (context_) {
            ReplyPtr reply{command({"EVAL", kList, "1", orderKey(gameId), namePrefix(gameId)})};
            if (reply.reply && reply.reply->type == REDIS_REPLY_ARRAY) {
                groups.emplace();
                // "instance#connection|address|name as typed"
                for (std::size_t i = 0; i + 1 < reply.reply->elements; i += 2) {
                    const std::string value = text(reply.reply->element[i + 1]);
                    const std::size_t bar = value.find('|');
                    if (bar == std::string::npos) continue;
                    const std::size_t second = value.find('|', bar + 1);
                    if (second == std::string::npos) continue;
                    groups->push_back(
                        {value.substr(second + 1), value.substr(bar + 1, second - bar - 1)});
                }
            }
        }
        report([waiters = std::move(waiters), groups = std::move(groups)] {
            for (const Listed& done : waiters) done(groups);
        });
    });
}

}  // namespace rabuscal::directory
