#pragma once
// tools/web_service.py run as a child process on 127.0.0.1 for one test: the
// real local server of the HTTP tests, reached directly or as http_proxy. It
// records every request in a throw-away folder; the destructor stops it.
#include <string>

class WebService {
public:
    // mode: one of the script's --mode values ("normal" for the pages).
    // nettestReply: the connection test's answer instead of the peer's address.
    explicit WebService(const std::string& mode = "normal", double dripSeconds = 1.0,
                        const std::string& nettestReply = std::string());
    ~WebService();
    WebService(const WebService&) = delete;
    WebService& operator=(const WebService&) = delete;

    int port() const { return listenPort; }
    std::string hostPort() const;   // "127.0.0.1:<port>"
    std::string proxyUrl() const;   // "http://127.0.0.1:<port>/"

    // What the service recorded of request n (from 1): its exact bytes, its
    // fields ("name\tfile name\tlength" lines) and the bytes of field k.
    std::string request(int n) const;
    std::string fields(int n) const;
    std::string field(int n, int k) const;
    // The connection test's answer to request n.
    std::string answer(int n) const { return recorded(n, "answer"); }
    int requestCount() const;

private:
    std::string recorded(int n, const std::string& suffix) const;

    int pid = -1;
    int listenPort = 0;
    std::string folder;
};

// A port on 127.0.0.1 where nothing listens.
int closedLocalPort();
