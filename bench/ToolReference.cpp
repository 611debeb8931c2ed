// The scheme listing of `vrax getSchemes`, done through GIO, for the side-by-side
// comparison of bench/tool.sh:
//   tool_reference schemes   every URL scheme an installed application declares, with the
//                            path of its default handler, sorted, one "scheme, four tabs,
//                            path" line each
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

constexpr std::string_view kSchemePrefix = "x-scheme-handler/";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string_view(argv[1]) != "schemes") {
    std::fprintf(stderr, "usage: tool_reference schemes\n");
    return 2;
  }
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
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "peak_rss_kb=%ld\n", usage.ru_maxrss);
  return 0;
}
