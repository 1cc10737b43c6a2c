#pragma once

#include <windows.h>

#include <cstddef>

namespace blindfold::win32 {

// Drops, on this thread, every message that Windows only ever sends but that
// any program may post: a posted WM_NOTIFY or WM_DPICHANGED carries a pointer
// into nowhere, a posted WM_INITDIALOG a stranger's idea of our dialog, and a
// posted WM_DESTROY or WM_ENDSESSION an end that never happened. The hook sees
// what every message loop of the thread takes from the queue, the modal ones
// of the dialogs, menus and message boxes included, so none of them can pass
// such a message on.
class PostedMessageFilter {
 public:
  PostedMessageFilter();
  PostedMessageFilter(const PostedMessageFilter&) = delete;
  PostedMessageFilter& operator=(const PostedMessageFilter&) = delete;
  ~PostedMessageFilter();

  explicit operator bool() const { return hook_ != nullptr; }

 private:
  HHOOK hook_ = nullptr;
};

// A message's pointer parameter as `T`, or null when the memory it names is not
// ours to read: another process can send a system message that Windows does
// not carry across, and then the pointer is the sender's.
const void* ReadableAt(LPARAM pointer, std::size_t size);

template <class T>
const T* MessagePointer(LPARAM pointer) {
  return static_cast<const T*>(ReadableAt(pointer, sizeof(T)));
}

}  // namespace blindfold::win32
