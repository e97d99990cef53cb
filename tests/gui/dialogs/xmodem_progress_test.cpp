#include <QProgressDialog>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "config/configuration.h"
#include "gui/dialogs/xmodem_progress.h"
#include "gui/session/session_driver.h"
#include "session/session.h"
#include "support/default_configuration.h"
#include "support/pty_pair.h"
#include "support/recording_front_end.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

constexpr char kSoh = '\x01';
constexpr char kCan = '\x18';

// A slow Xmodem receiver on a pseudo-terminal: asks for CRC blocks until the first one starts,
// then acknowledges whatever arrived every 30 ms, until the sender's cancel sequence comes.
class SlowReceiver {
 public:
  explicit SlowReceiver(const std::string& path) : m_End(path), m_Thread([this] { Receive(); }) {}
  ~SlowReceiver() {
    m_Stop = true;
    m_Thread.join();
  }
  bool SawCancel() const { return m_SawCancel; }

 private:
  void Receive() {
    bool started = false;
    while (!m_Stop && !m_SawCancel) {
      const std::string bytes = m_End.ReadUntilQuiet(milliseconds(30));
      if (bytes.find(kCan) != std::string::npos) {
        m_SawCancel = true;
      } else if (!started) {
        // Until the first block starts, whatever came (a wake-up) gets a new request.
        started = bytes.find(kSoh) != std::string::npos;
        m_End.Write(started ? "\x06" : "C");
      } else if (!bytes.empty()) {
        m_End.Write("\x06");
      }
    }
  }

  PtyEnd m_End;
  std::atomic<bool> m_Stop = false;
  std::atomic<bool> m_SawCancel = false;
  std::thread m_Thread;
};

}  // namespace

class XmodemProgressTest : public QObject {
  Q_OBJECT

 private slots:
  // A send hands the thread back to the window's event loop between its blocks instead of
  // running one of its own: the command returns while the transfer goes on. Once the transfer
  // outlasts half a second the dialog shows; its Cancel ends the transfer with the cancel
  // sequence at the peer, and the failed send says so.
  void TheWindowRunsOnDuringTheTransferAndCancelEndsIt() {
    PtyPair line;
    QVERIFY(line.ready());
    ResetConfigurationToDefaults();
    SetSetting(setting::kMode, "4");
    SetSetting(setting::kCommConfig, line.a() + ":115200,N,8,1");
    QWidget window;
    auto* driver = new SessionDriver(GetConfiguration(), &window);
    XmodemProgress progress(&window);
    driver->ShowTransfersIn(progress);
    driver->GetSession().Table().SetItemText(1, MessageTable::kMessageColumn,
                                             std::string(16384, 'A'));
    QSignalSpy failures(driver, &SessionDriver::CommandFailed);
    driver->OpenConnection();
    QVERIFY(failures.isEmpty());
    SlowReceiver receiver(line.b());

    bool dialogShown = false;
    QTimer pressCancel;
    QObject::connect(&pressCancel, &QTimer::timeout, [&] {
      if (progress.Dialog() != nullptr) {
        dialogShown = progress.Dialog()->isVisible() && progress.Dialog()->maximum() == 128;
        progress.Dialog()->cancel();
      }
    });
    pressCancel.start(100);
    driver->SendRow(1);
    QVERIFY(driver->TransferRunning());
    QVERIFY(progress.Running());
    QTRY_VERIFY_WITH_TIMEOUT(!driver->TransferRunning(), 4000);
    QVERIFY(dialogShown);
    QVERIFY(!progress.Running());
    QVERIFY(progress.Dialog() == nullptr);
    QCOMPARE(failures.size(), 1);
    QVERIFY(failures[0][0].toString().startsWith("row 1: Xmodem transfer failed"));
    QTRY_VERIFY(receiver.SawCancel());
    driver->CloseConnection();
  }
};

}  // namespace linkwright

QTEST_MAIN(linkwright::XmodemProgressTest)
#include "xmodem_progress_test.moc"
