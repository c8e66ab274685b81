// The enable rule of every menu command and the changes of a menu refresh.
#include "app/menustate.h"

namespace {

bool HasBusServices(const AppState* app) {
  const int kind = S7_GetInterfaceKind(app->iface);
  return kind > 0;  // -1: no interface; 0: TCP has no bus
}

bool Connected(const AppState* app) { return app->conn && S7_IsConnected(app->conn) == 1; }

class Changes {
 public:
  explicit Changes(MenuChange* out) : out_(out) {}
  void Set(int id, bool enabled) {
    if (count_ < kMenuChangeMax) out_[count_++] = {id, enabled};
  }
  void Range(int first, int last, bool enabled) {
    for (int id = first; id <= last; ++id) Set(id, enabled);
  }
  int Count() const { return count_; }

 private:
  MenuChange* out_;
  int count_ = 0;
};

}  // namespace

bool Cmd_IsEnabled(const AppState* app, int command) {
  switch (command) {
    case IDM_FILE_OPEN:
    case IDM_FILE_EXIT:
    case IDM_FONT_SMALL:
    case IDM_FONT_NORMAL:
    case IDM_FONT_LARGE:
    case IDM_ABOUT:
    case IDM_TRACE: return true;
    case IDM_FILE_SAVE: return app->table.count > 0;
    case IDM_INTERFACE_OPEN: return !app->iface;
    case IDM_INTERFACE_CLOSE: return app->iface != nullptr;
    case IDM_CONNECTION_OPEN: return app->iface && !app->conn;
    case IDM_CONNECTION_CLOSE:
    case IDM_CONNECTION_MODIFY: return app->conn != nullptr;
    case IDM_CONNECT: return app->conn && !Connected(app);
    case IDM_PARTNERS:
    case IDM_BUS_PARAMETERS: return HasBusServices(app);
    case IDM_CPU_INFO:
    case IDM_DIAG_BUFFER: return Connected(app);
    default: return command >= IDM_DISCONNECT && command <= IDM_WRITE && Connected(app);
  }
}

int Menu_Changes(const AppState* app, MenuState interfaceState, MenuState connectionState, SaveItem save,
                 MenuChange* out) {
  Changes c(out);
  if (interfaceState != MenuState::Unchanged) {
    const bool open = interfaceState == MenuState::Open;
    c.Set(kMenuConnectionPopup, open);
    c.Set(IDM_INTERFACE_OPEN, !open);
    c.Set(IDM_INTERFACE_CLOSE, open);
    c.Set(IDM_CONNECTION_OPEN, open);
    const bool bus = open && S7_GetInterfaceKind(app->iface) != static_cast<int>(S7_KIND_TCP);
    c.Set(IDM_PARTNERS, bus);
    c.Set(IDM_BUS_PARAMETERS, bus);
  }
  if (connectionState != MenuState::Unchanged) {
    const bool exists = connectionState == MenuState::Open;
    const bool connected = exists && S7_IsConnected(app->conn) == 1;
    // As the command's own rule says: a connection is opened on an interface.
    c.Set(IDM_CONNECTION_OPEN, !exists && app->iface != nullptr);
    c.Set(IDM_CONNECTION_CLOSE, exists);
    c.Set(IDM_CONNECTION_MODIFY, exists);
    c.Set(IDM_CONNECT, exists && !connected);
    c.Set(IDM_DISCONNECT, connected);
    c.Range(IDM_CPU_STATE, IDM_WRITE, connected);
    c.Set(IDM_CPU_INFO, connected);
    c.Set(IDM_DIAG_BUFFER, connected);
  }
  if (save == SaveItem::Refresh) c.Set(IDM_FILE_SAVE, app->table.count != 0);
  return c.Count();
}
