#include "lorquin/http_library.h"

#include "lorquin/import_error.h"

#include <dlfcn.h>
#include <future>
#include <memory>
#include <mutex>
#include <string>

namespace marlovex::lorquin {
namespace {

// The library's stable name; its number has not changed since 2006.
constexpr const char* libraryFile = "libcurl.so.4";

// The resolved functions and libcurl's process-wide set-up, undone at exit. The library stays
// loaded: libraries it brought in may have registered their own exit handlers.
class LoadedLibrary {
public:
    LoadedLibrary() {
        void* handle = ::dlopen(libraryFile, RTLD_LAZY | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* reason = ::dlerror();
            throw ImportError(std::string("die HTTP-Bibliothek ") + libraryFile + " lässt sich nicht laden" +
                              (reason != nullptr ? std::string(" (") + reason + ")" : std::string()));
        }
        resolve(handle, "curl_global_init", m_globalInit);
        resolve(handle, "curl_global_cleanup", m_globalCleanup);
        resolve(handle, "curl_easy_init", m_functions.easyInit);
        resolve(handle, "curl_easy_cleanup", m_functions.easyCleanup);
        resolve(handle, "curl_easy_setopt", m_functions.easySetopt);
        resolve(handle, "curl_easy_perform", m_functions.easyPerform);
        resolve(handle, "curl_easy_getinfo", m_functions.easyGetinfo);
        resolve(handle, "curl_easy_strerror", m_functions.easyStrerror);
        if (m_globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            throw ImportError("die HTTP-Bibliothek lässt sich nicht einrichten");
        }
        m_initialised = true;
    }
    ~LoadedLibrary() {
        if (m_initialised) {
            m_globalCleanup();
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    const HttpLibrary& functions() const { return m_functions; }

private:
    template <typename Function> static void resolve(void* handle, const char* name, Function& target) {
        target = reinterpret_cast<Function>(::dlsym(handle, name));
        if (target == nullptr) {
            throw ImportError(std::string("der HTTP-Bibliothek ") + libraryFile + " fehlt die Funktion " +
                              name);
        }
    }

    decltype(&curl_global_init) m_globalInit = nullptr;
    decltype(&curl_global_cleanup) m_globalCleanup = nullptr;
    HttpLibrary m_functions;
    bool m_initialised = false;
};

struct Loader {
    std::once_flag started;
    std::shared_future<std::shared_ptr<const LoadedLibrary>> library;
};

Loader& loader() {
    static Loader instance;
    return instance;
}

} // namespace

void startLoadingHttpLibrary() {
    auto& state = loader();
    std::call_once(state.started, [&state] {
        state.library = std::async(std::launch::async, [] {
                            return std::shared_ptr<const LoadedLibrary>(std::make_shared<LoadedLibrary>());
                        }).share();
    });
}

const HttpLibrary& httpLibrary() {
    startLoadingHttpLibrary();
    return loader().library.get()->functions();
}

} // namespace marlovex::lorquin
