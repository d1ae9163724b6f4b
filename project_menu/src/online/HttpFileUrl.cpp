#include "HttpFileUrl.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

HttpResult failure(int errorNumber) {
    HttpResult result;
    result.errorNumber = errorNumber;
    result.errorText = httpErrorText(errorNumber);
    return result;
}

HttpResult success(const std::string& bytes) {
    HttpResult result;
    result.body = static_cast<char*>(malloc(bytes.size() + 1));
    if (!result.body) return failure(errno);
    memcpy(result.body, bytes.data(), bytes.size());
    result.body[bytes.size()] = 0;
    result.bodyLength = int(bytes.size());
    result.errorText = "";
    return result;
}

HttpResult readWholeFile(const std::string& path, const struct stat& info) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure(errno);
    std::string bytes;
    bytes.reserve(size_t(info.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        int e = n < 0 ? errno : 0;
        close(fd);
        if (e) return failure(e);
        return success(bytes);
    }
}

// The folder holding path: /a/b/ and /a/b both give /a/; / is its own parent.
std::string parentOf(const std::string& path) {
    if (path.size() <= 1) return path;
    size_t pos = path.size() - (path.back() == '/' ? 2 : 1);
    while (pos > 0 && path[pos] != '/') --pos;
    return path.substr(0, pos + 1);
}

std::string modeText(mode_t mode) {
    char text[11] = "----------";
    if (S_ISDIR(mode)) text[0] = 'd';
    else if (S_ISLNK(mode)) text[0] = 'l';
    else if (S_ISFIFO(mode)) text[0] = 'p';
    else if (S_ISSOCK(mode)) text[0] = 's';
    else if (S_ISCHR(mode)) text[0] = 'c';
    else if (S_ISBLK(mode)) text[0] = 'b';
    const mode_t bits[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    for (int i = 0; i < 9; ++i)
        if (mode & bits[i]) text[1 + i] = "rwx"[i % 3];
    return text;
}

// One line of the listing: mode, size, time and the name linked to itself; a
// folder's slash belongs to the link, an executable's star and a symbolic
// link's arrow and target follow it.
std::string entryLine(const std::string& folder, const std::string& name) {
    std::string full = folder + (folder.empty() || folder.back() != '/' ? "/" : "") + name;
    struct stat info;
    if (lstat(full.c_str(), &info) != 0) return std::string();
    char when[32] = "";
    struct tm local;
    if (localtime_r(&info.st_mtime, &local)) strftime(when, sizeof when, "%b %e %H:%M", &local);
    char head[96];
    snprintf(head, sizeof head, "%s %10lld %s ", modeText(info.st_mode).c_str(), (long long)info.st_size, when);
    std::string shown = name;
    std::string after;
    if (S_ISDIR(info.st_mode)) {
        shown += "/";
    } else if (S_ISLNK(info.st_mode)) {
        std::vector<char> target(size_t(info.st_size > 0 ? info.st_size : 4095) + 1);
        ssize_t n = readlink(full.c_str(), target.data(), target.size() - 1);
        after = escapeHtml(" -> " + std::string(target.data(), n > 0 ? size_t(n) : 0));
    } else if (S_ISREG(info.st_mode) && (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))) {
        after = "*";
    }
    std::string link = escapeHtml(shown);
    return std::string(head) + "<A HREF=\"" + link + "\">" + link + "</A>" + after + "\n";
}

HttpResult listFolder(const std::string& path) {
    DIR* folder = opendir(path.c_str());
    if (!folder) return failure(errno);
    std::vector<std::string> names;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(folder);
    std::sort(names.begin(), names.end());

    std::string shown = escapeHtml(path);
    std::string page = "<HTML><HEAD><TITLE>Index of " + shown + "</TITLE></HEAD>\n<BODY BGCOLOR=\"#99cc99\"><H4>Index of " +
                       shown + "</H4>\n<PRE>\n";
    page += "<A HREF=\"file://" + escapeHtml(parentOf(path)) + "\">Parent Directory</A><P>\n";
    for (const std::string& name : names) page += entryLine(path, name);
    page += "</PRE>\n</BODY></HTML>\n";
    return success(page);
}

}  // namespace

std::string escapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

HttpResult listFileUrl(const char* url) {
    std::string path(url + 7);
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return failure(errno);
    if (S_ISREG(info.st_mode)) return readWholeFile(path, info);
    if (S_ISDIR(info.st_mode)) return listFolder(path);
    HttpResult none;
    none.errorText = "";
    return none;
}
