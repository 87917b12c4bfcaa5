#include "lorquin/quote_source.h"

#include "lorquin/http_library.h"
#include "lorquin/import_error.h"
#include "lorquin/url_text.h"
#include "platform/common/system_error_text.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace marlovex::lorquin {
namespace {

constexpr long maximumRedirects = 5;
constexpr const char* sizeLimitText = "die Antwort ist größer als 4 MB";

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor) {}
    ~FileDescriptor() { ::close(m_descriptor); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

private:
    int m_descriptor;
};

struct Body {
    std::string text;
    bool tooLarge = false;
};

std::size_t appendToBody(char* data, std::size_t size, std::size_t count, void* target) {
    auto& body = *static_cast<Body*>(target);
    const std::size_t length = size * count;
    if (body.text.size() + length > maximumAnswerSize) {
        body.tooLarge = true;
        // Anything but `length` makes libcurl abort the transfer.
        return 0;
    }
    body.text.append(data, length);
    return length;
}

std::string transferFailure(const HttpLibrary& curl, CURLcode code, const Body& body,
                            std::chrono::seconds timeout) {
    switch (code) {
    case CURLE_WRITE_ERROR:
    case CURLE_FILESIZE_EXCEEDED:
        return body.tooLarge || code == CURLE_FILESIZE_EXCEEDED ? sizeLimitText
                                                                : "Schreibfehler beim Empfang";
    case CURLE_OPERATION_TIMEDOUT:
        return "keine vollständige Antwort innerhalb von " + std::to_string(timeout.count()) + " s";
    case CURLE_COULDNT_RESOLVE_HOST:
        return "der Rechnername ist unbekannt";
    case CURLE_COULDNT_RESOLVE_PROXY:
        return "der Name des Proxys ist unbekannt";
    case CURLE_COULDNT_CONNECT:
        return "keine Verbindung zum Server";
    case CURLE_TOO_MANY_REDIRECTS:
        return "mehr als " + std::to_string(maximumRedirects) + " Weiterleitungen";
    case CURLE_UNSUPPORTED_PROTOCOL:
        return "Weiterleitung auf ein anderes Protokoll als http oder https";
    case CURLE_PEER_FAILED_VERIFICATION:
        return "das TLS-Zertifikat des Servers ist nicht vertrauenswürdig";
    case CURLE_SSL_CONNECT_ERROR:
        return "keine sichere TLS-Verbindung";
    case CURLE_GOT_NOTHING:
        return "der Server hat ohne Antwort geschlossen";
    default:
        return std::string("Übertragungsfehler (") + curl.easyStrerror(code) + ")";
    }
}

std::string fetchHttp(const std::string& url, std::chrono::seconds timeout) {
    const auto& library = httpLibrary();
    const std::unique_ptr<CURL, decltype(library.easyCleanup)> handle(library.easyInit(),
                                                                      library.easyCleanup);
    if (!handle) {
        throw ImportError("die HTTP-Bibliothek lässt sich nicht einrichten");
    }
    CURL* curl = handle.get();
    Body body;
    const auto agent = userAgent();
    library.easySetopt(curl, CURLOPT_URL, url.c_str());
    library.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    library.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    library.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    library.easySetopt(curl, CURLOPT_MAXREDIRS, maximumRedirects);
    library.easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    library.easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    library.easySetopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count() * 1000));
    // Signals would be the only way to time out name resolution without a threaded resolver;
    // they are no business of a library inside a program, so libcurl must not use them.
    library.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    library.easySetopt(curl, CURLOPT_USERAGENT, agent.c_str());
    library.easySetopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    library.easySetopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumAnswerSize));
    library.easySetopt(curl, CURLOPT_WRITEFUNCTION, &appendToBody);
    library.easySetopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode code = library.easyPerform(curl);
    if (code != CURLE_OK) {
        throw ImportError(transferFailure(library, code, body, timeout));
    }
    long status = 0;
    library.easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
        throw ImportError("der Server antwortet mit HTTP-Status " + std::to_string(status));
    }
    return std::move(body.text);
}

// The local path of a file:// URL.
std::string filePath(const std::string& url) {
    const std::string_view rest = std::string_view(url).substr(std::string_view("file://").size());
    std::string_view path = rest;
    if (!rest.starts_with("/")) {
        const auto slash = rest.find('/');
        const auto host = rest.substr(0, slash);
        if (slash == std::string_view::npos || (host != "localhost" && host != "LOCALHOST")) {
            throw ImportError("eine file://-Quelle braucht einen absoluten Pfad (file:///Pfad/Datei)");
        }
        path = rest.substr(slash);
    }
    const auto end = path.find_first_of("?#");
    const auto decoded = percentDecode(path.substr(0, end));
    if (decoded.find('\0') != std::string::npos) {
        throw ImportError("der Pfad der file://-Quelle enthält ein Nullzeichen");
    }
    return decoded;
}

std::string readFile(const std::string& url) {
    const auto path = filePath(url);
    // O_NONBLOCK: a FIFO in place of the file must not block the import while it waits for a writer.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        throw ImportError("die Datei " + path + " kann nicht geöffnet werden: " + systemErrorText(errno));
    }
    const FileDescriptor file(descriptor);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        throw ImportError("die Quelle " + path + " ist keine gewöhnliche Datei");
    }
    std::string text;
    char buffer[64 * 1024];
    while (true) {
        const auto count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            throw ImportError("die Datei " + path + " kann nicht gelesen werden: " + systemErrorText(errno));
        }
        if (count == 0) {
            return text;
        }
        if (text.size() + static_cast<std::size_t>(count) > maximumAnswerSize) {
            throw ImportError(sizeLimitText);
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) != static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string userAgent() {
    return std::string("Lorquin/") + MARLOVEX_VERSION + " (Marlovex Diagramm-Manager)";
}

void prepareFetch(const std::string& url) {
    if (!startsWithIgnoringCase(url, "file://")) {
        startLoadingHttpLibrary();
    }
}

std::string fetchAnswer(const std::string& url, std::chrono::seconds timeout) {
    if (startsWithIgnoringCase(url, "file://")) {
        return readFile(url);
    }
    return fetchHttp(url, timeout);
}

} // namespace marlovex::lorquin
