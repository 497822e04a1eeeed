#pragma once

// Where the window hands over to the layers wired in beside it: the files
// and settings, and the device link. Every hook does nothing until those
// layers supply their own.
namespace kova {

class frmMain;

class WindowHooks {
 public:
  virtual ~WindowHooks() = default;

  // After the captions are set, before the form is cleared: restore the
  // window geometry and the last file location from the per-user settings.
  virtual void Loaded(frmMain&) {}
  // The window is closing: store the geometry and the last file location.
  virtual void Unloading(frmMain&) {}

  virtual void Open(frmMain&) {}
  // True once the document is saved; false (also when the user cancels)
  // keeps whatever asked for the save from going on.
  virtual bool Save(frmMain&) { return false; }
  virtual bool SaveAs(frmMain&) { return false; }

  virtual void Get(frmMain&) {}
  virtual void Put(frmMain&) {}
  virtual void Reset(frmMain&) {}
};

}  // namespace kova
