// A loopback HTTP server for URL loading tests: cpp-httplib on 127.0.0.1 with an ephemeral port,
// serving on its own thread from construction to destruction, with a few stock handlers.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/foundation/bytes.h"
#include "platform/foundation/url.h"
#include "platform/foundation/zlib_codec.h"

namespace fnd::testing {

class HttpTestServer {
public:
    // Stock handlers:
    //   /echo (GET, POST, PUT): 200, text/plain; charset=UTF-8, a body listing the method, the
    //     header fields a test asks about and the request body, one "name: value" per line;
    //   /status/<n>: status n with body "status <n>";
    //   /redirect/<n>?to=<path>: status n with Location <path>;
    //   /cookie?name=<n>&value=<v>: sets the cookie n=v and redirects (302) to /echo;
    //   /loop: 302 to itself;
    //   /stall: holds the request until releaseStalls() or the server stops (at most 10 s), then "late";
    //   /big/<n>: n bytes of 'x';
    //   /gzip: kGzipText compressed, with Content-Encoding: gzip, when Accept-Encoding names gzip.
    static constexpr const char* kGzipText = "a body that travels compressed, a body that travels compressed";

    HttpTestServer() {
        auto echo = [](const httplib::Request& req, httplib::Response& res) {
            std::string out = "method: " + req.method + "\n";
            for (const char* name : {"User-Agent", "Accept", "Content-Type", "X-Custom", "Cookie", "Accept-Encoding"}) {
                if (req.has_header(name)) {
                    out += std::string(name) + ": " + req.get_header_value(name) + "\n";
                }
            }
            out += "body: " + req.body + "\n";
            res.set_content(out, "text/plain; charset=UTF-8");
        };
        server_.Get("/echo", echo);
        server_.Post("/echo", echo);
        server_.Put("/echo", echo);
        auto status = [](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("status " + std::string(req.matches[1]), "text/plain");
        };
        server_.Get(R"(/status/(\d+))", status);
        auto redirect = [](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.matches[1]);
            res.set_header("Location", req.get_param_value("to"));
            res.set_content("moved", "text/plain");
        };
        server_.Get(R"(/redirect/(\d+))", redirect);
        server_.Post(R"(/redirect/(\d+))", redirect);
        server_.Get("/cookie", [](const httplib::Request& req, httplib::Response& res) {
            res.status = 302;
            res.set_header("Set-Cookie", req.get_param_value("name") + "=" + req.get_param_value("value") + "; Path=/");
            res.set_header("Location", "/echo");
        });
        server_.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
            res.status = 302;
            res.set_header("Location", "/loop");
        });
        server_.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            std::unique_lock lock(mutex_);
            stallCv_.wait_for(lock, std::chrono::seconds(10), [this] { return stopping_ || released_; });
            res.set_content("late", "text/plain");
        });
        server_.Get(R"(/big/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string(std::stoul(req.matches[1]), 'x'), "application/octet-stream");
        });
        server_.Get("/gzip", [](const httplib::Request& req, httplib::Response& res) {
            if (req.get_header_value("Accept-Encoding").find("gzip") == std::string::npos) {
                res.set_content(kGzipText, "text/plain");
                return;
            }
            Bytes body = gzip(kGzipText);
            res.set_header("Content-Encoding", "gzip");
            res.set_content(std::string(body.begin(), body.end()), "text/plain");
        });
        server_.set_keep_alive_max_count(1); // every response closes, so stop() never waits on idle clients
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() only reaches a server that is already running, so wait for its accept loop.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
    }

    ~HttpTestServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stallCv_.notify_all();
        server_.stop();
        thread_.join();
    }

    // Lets every held /stall request answer now.
    void releaseStalls() {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        stallCv_.notify_all();
    }

    httplib::Server& server() { return server_; }
    int port() const { return port_; }
    Url url(const std::string& path) const { return *Url::parse("http://127.0.0.1:" + std::to_string(port_) + path); }

    // A gzip member (RFC 1952) around zlib's deflate output.
    static Bytes gzip(std::string_view text) {
        Bytes plain(text.begin(), text.end());
        Bytes zlibStream = deflate(plain);
        Bytes out = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 0xff};
        out.insert(out.end(), zlibStream.begin() + 2, zlibStream.end() - 4); // raw deflate
        uint32_t crc = crc32(plain);
        auto size = static_cast<uint32_t>(plain.size());
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(crc >> (8 * i)));
        }
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(size >> (8 * i)));
        }
        return out;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable stallCv_;
    bool stopping_ = false;
    bool released_ = false;
};

} // namespace fnd::testing
