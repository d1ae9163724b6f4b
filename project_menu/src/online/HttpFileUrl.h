#pragma once
// file:// URLs for the HTTP client: a file's bytes, or a folder's listing as
// an HTML page with a link per entry (read natively; no shell).
#include "HttpRequest.h"

#include <string>

HttpResult listFileUrl(const char* url);

// Text with &, <, >, " and ' replaced by their character references.
std::string escapeHtml(const std::string& text);
