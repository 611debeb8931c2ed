// Owning pointers for the GLib objects the placeholder uses: every GLib allocation is
// released by its deleter here, never by a free function called by hand.
#pragma once

#include <gio/gio.h>

#include <memory>

namespace quietling {

struct GObjectDeleter {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct GFreeDeleter {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

struct GErrorDeleter {
  void operator()(GError* error) const {
    if (error != nullptr) g_error_free(error);
  }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

struct GUriDeleter {
  void operator()(GUri* uri) const {
    if (uri != nullptr) g_uri_unref(uri);
  }
};
using GUriPtr = std::unique_ptr<GUri, GUriDeleter>;

struct GBytesDeleter {
  void operator()(GBytes* bytes) const {
    if (bytes != nullptr) g_bytes_unref(bytes);
  }
};
using GBytesPtr = std::unique_ptr<GBytes, GBytesDeleter>;

}  // namespace quietling
