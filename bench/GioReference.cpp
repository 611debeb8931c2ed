// The same work as platform_bench, done through GIO, for the side-by-side comparison:
//   gio_reference defaults     g_app_info_get_default_for_type for every registered type
//   gio_reference apps         g_app_info_get_all with each application's path
//   gio_reference lookup TYPE  g_app_info_get_default_for_type for one type
//   gio_reference schemes      the listing of `vrax getSchemes`: every URL scheme an
//                              installed application declares, with the path of its
//                              default handler, sorted, "scheme, four tabs, path" per line
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfo = std::unique_ptr<GAppInfo, ObjectUnref>;

struct ListFree {
  void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};
struct TypesFree {
  void operator()(GList* list) const { g_list_free_full(list, g_free); }
};

constexpr std::string_view kSchemePrefix = "x-scheme-handler/";

void listSchemes() {
  std::set<std::string, std::less<>> schemes;
  std::unique_ptr<GList, ListFree> apps(g_app_info_get_all());
  for (GList* item = apps.get(); item != nullptr; item = item->next) {
    const char* const* types = g_app_info_get_supported_types(G_APP_INFO(item->data));
    for (; types != nullptr && *types != nullptr; ++types) {
      std::string_view type(*types);
      if (type.starts_with(kSchemePrefix)) schemes.emplace(type.substr(kSchemePrefix.size()));
    }
  }
  std::string out;
  for (const auto& scheme : schemes) {
    AppInfo info(g_app_info_get_default_for_uri_scheme(scheme.c_str()));
    if (!info || !G_IS_DESKTOP_APP_INFO(info.get())) continue;
    const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info.get()));
    if (file == nullptr) continue;
    out += scheme + "\t\t\t\t" + file + "\n";
  }
  out += "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void reportPeakMemory() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "peak_rss_kb=%ld\n", usage.ru_maxrss);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "defaults") {
    std::unique_ptr<GList, TypesFree> types(g_content_types_get_registered());
    std::size_t count = 0;
    std::size_t handled = 0;
    for (GList* item = types.get(); item != nullptr; item = item->next) {
      ++count;
      AppInfo info(g_app_info_get_default_for_type(static_cast<const char*>(item->data), FALSE));
      if (info && G_IS_DESKTOP_APP_INFO(info.get()) &&
          g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info.get())) != nullptr) {
        ++handled;
      }
    }
    std::printf("%zu types, %zu with a default\n", count, handled);
  } else if (mode == "apps") {
    std::unique_ptr<GList, ListFree> apps(g_app_info_get_all());
    std::size_t count = 0;
    std::size_t bytes = 0;
    for (GList* item = apps.get(); item != nullptr; item = item->next) {
      ++count;
      if (const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(item->data))) {
        bytes += std::string_view(file).size();
      }
    }
    std::printf("%zu applications, %zu bytes of paths\n", count, bytes);
  } else if (mode == "lookup" && argc > 2) {
    AppInfo info(g_app_info_get_default_for_type(argv[2], FALSE));
    std::printf("%s\n", info ? g_app_info_get_id(info.get()) : "(none)");
  } else if (mode == "schemes") {
    listSchemes();
  } else {
    std::fprintf(stderr, "usage: gio_reference defaults | apps | lookup TYPE | schemes\n");
    return 2;
  }
  reportPeakMemory();
  return 0;
}
