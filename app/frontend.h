// What the portable command code needs from whichever front end runs it: the
// PLC choice when a file names another PLC, the read-variables window, and
// the refresh of menus and status. The main window implements it with
// dialogs, the command line with its options and its own printing, tests
// with a script.
#pragma once

#include <cstdint>

// What the PLC choice is asked about: the open connection's PLC and the one a
// loaded file names.
struct PlcChoice {
  std::int32_t currentKind;
  std::int32_t loadedKind;
  std::uint32_t currentAddress;
  std::uint32_t loadedAddress;
  char currentName[24];
  char loadedName[24];
};

// Interface and connection states for UpdateMenu.
inline constexpr int kMenuClosed = 0;     // no interface / no connection
inline constexpr int kMenuOpen = 1;       // an interface / a connection exists
inline constexpr int kMenuUnchanged = 2;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Asks which PLC to keep. Returns false when the user cancels; otherwise
  // *useSaved is 1 to switch to the file's PLC, 0 to keep the current one.
  virtual bool ChoosePlc(const PlcChoice& choice, int* useSaved) = 0;
  // Shows the variables, reading them once first (readBack) and then
  // cyclically (cyclic) if asked.
  virtual void OpenReadWindow(bool readBack, bool cyclic) = 0;
  virtual void UpdateMenu(int interfaceState, int connectionState, bool saveFlag) = 0;
  virtual void UpdateStatusText() = 0;
};

// The front end in charge; null while there is none (nothing is asked then,
// and the current PLC is kept).
FrontEnd* TheFrontEnd();
void SetFrontEnd(FrontEnd* frontEnd);
