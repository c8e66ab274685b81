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
    case kCmdFileOpen:
    case kCmdExit:
    case kCmdFontSmall:
    case kCmdFontNormal:
    case kCmdFontLarge:
    case kCmdAbout: return true;
    case kCmdFileSave: return app->table.count > 0;
    case kCmdInterfaceOpen: return !app->iface;
    case kCmdInterfaceClose: return app->iface != nullptr;
    case kCmdConnectionOpen: return app->iface && !app->conn;
    case kCmdConnectionClose:
    case kCmdConnectionModify: return app->conn != nullptr;
    case kCmdConnect: return app->conn && !Connected(app);
    case kCmdPartners:
    case kCmdBusParameters: return HasBusServices(app);
    default: return command >= kCmdDisconnect && command <= kCmdWrite && Connected(app);
  }
}

int Menu_Changes(const AppState* app, MenuState interfaceState, MenuState connectionState, SaveItem save,
                 MenuChange* out) {
  Changes c(out);
  if (interfaceState != MenuState::Unchanged) {
    const bool open = interfaceState == MenuState::Open;
    c.Set(kMenuConnectionPopup, open);
    c.Set(kCmdInterfaceOpen, !open);
    c.Set(kCmdInterfaceClose, open);
    c.Set(kCmdConnectionOpen, open);
    const bool bus = open && S7_GetInterfaceKind(app->iface) != static_cast<int>(S7_KIND_TCP);
    c.Set(kCmdPartners, bus);
    c.Set(kCmdBusParameters, bus);
  }
  if (connectionState != MenuState::Unchanged) {
    const bool exists = connectionState == MenuState::Open;
    const bool connected = exists && S7_IsConnected(app->conn) == 1;
    // As the command's own rule says: a connection is opened on an interface.
    c.Set(kCmdConnectionOpen, !exists && app->iface != nullptr);
    c.Set(kCmdConnectionClose, exists);
    c.Set(kCmdConnectionModify, exists);
    c.Set(kCmdConnect, exists && !connected);
    c.Set(kCmdDisconnect, connected);
    c.Range(kCmdCpuState, kCmdWrite, connected);
  }
  if (save == SaveItem::Refresh) c.Set(kCmdFileSave, app->table.count != 0);
  return c.Count();
}
