#pragma once

namespace linkwright {

// Where the session driver shows a long transfer (Xmodem) while it runs: each block done, the
// user's request to stop, and the end of the transfer.
class TransferDisplay {
 public:
  virtual ~TransferDisplay() = default;

  // A block was done; `total` is 0 when the number of blocks is not known.
  virtual void Progress(int done, int total) = 0;
  // True once the user asked to stop this transfer.
  virtual bool Cancelled() const = 0;
  // The transfer ended: the next report starts a new one.
  virtual void Finish() = 0;
};

}  // namespace linkwright
