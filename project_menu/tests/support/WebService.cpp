#include "WebService.h"

#include "TempFolder.h"
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

WebService::WebService(const std::string& mode, double dripSeconds, const std::string& nettestReply) {
    folder = makeTempFolder("webservice.");
    if (folder.empty()) throw std::runtime_error("mkdtemp failed");
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    std::string drip = std::to_string(dripSeconds);
    pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        // Only standard input, output and error: an inherited pipe (a death
        // test's) would stay open as long as the service runs.
        closefrom(3);
        std::vector<const char*> arguments = {PLIM_PYTHON, PLIM_WEB_SERVICE, "--mode", mode.c_str(), "--record",
                                              folder.c_str(), "--drip-seconds", drip.c_str()};
        if (!nettestReply.empty()) {
            arguments.push_back("--nettest-reply");
            arguments.push_back(nettestReply.c_str());
        }
        arguments.push_back(nullptr);
        execv(PLIM_PYTHON, const_cast<char* const*>(arguments.data()));
        _exit(127);
    }
    close(out[1]);
    FILE* lines = fdopen(out[0], "r");
    if (!lines || fscanf(lines, "%d", &listenPort) != 1) listenPort = 0;
    if (lines) fclose(lines);
    if (listenPort <= 0) throw std::runtime_error("web service did not start");
}

WebService::~WebService() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string WebService::hostPort() const {
    return "127.0.0.1:" + std::to_string(listenPort);
}

std::string WebService::proxyUrl() const {
    return "http://" + hostPort() + "/";
}

std::string WebService::recorded(int n, const std::string& suffix) const {
    char name[32];
    snprintf(name, sizeof name, "/%04d.", n);
    std::ifstream in(folder + name + suffix, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string WebService::request(int n) const {
    return recorded(n, "req");
}

std::string WebService::fields(int n) const {
    return recorded(n, "fields");
}

std::string WebService::field(int n, int k) const {
    return recorded(n, "field." + std::to_string(k));
}

int WebService::requestCount() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".req") ++count;
    return count;
}

int closedLocalPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}
