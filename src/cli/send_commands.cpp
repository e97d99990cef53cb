#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli_context.h"
#include "codec/escape_codec.h"
#include "config/configuration.h"
#include "console_front_end.h"
#include "document/trace_text.h"
#include "link/link_controller.h"
#include "setting_overrides.h"

namespace {

struct SendOptions {
  std::vector<std::string> settings;
  int before = 0;
  int wait = 0;
  std::vector<std::string> texts;
};

// Polls the link every "RxPollingTime" ms for `milliseconds`, writing each non-empty chunk
// as received trace text without a line end. The last poll falls at the end of the span.
void PollLink(CLinkController& link, FrontEnd& frontEnd, int milliseconds) {
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Clock::now() < end) {
    auto period = std::chrono::milliseconds(
        std::max(1, GetConfiguration().GetInt("Connection", "RxPollingTime")));
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    std::this_thread::sleep_for(std::min(period, left));
    ByteString chunk = link.Receive();
    if (!chunk.empty()) {
      WriteTrace(frontEnd, chunk, true, false);
    }
  }
}

// Opens the link (the UDP client needs none), sends every text and polls as asked. Returns
// the failure to report, or an empty text.
std::string RunSend(const SendOptions& options) {
  ConsoleFrontEnd frontEnd(std::cout, std::cerr);
  CLinkController link(GetConfiguration(), frontEnd);
  if (link.IsOpen()) {
    link.UpdateStatus();
  } else if (!link.Open()) {
    return link.LastFailure();
  }
  PollLink(link, frontEnd, options.before);
  std::string failure;
  for (const std::string& text : options.texts) {
    if (!link.Send(TextToBytes(text)) && failure.empty()) {
      failure = "send failed: " + link.LastFailure();
    }
  }
  PollLink(link, frontEnd, options.wait);
  link.Close();
  return failure;
}

}  // namespace

void AddSendCommands(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SendOptions>();
  auto* send = app.add_subcommand(
      "send", "Open the configured link, send each escaped TEXT, optionally wait for data, close");
  AddSettingOverrideOption(*send, options->settings);
  send->add_option("--before", options->before,
                   "Poll the link for MS milliseconds before the first send (lets a TCP peer "
                   "connect)")
      ->type_name("MS")
      ->check(CLI::NonNegativeNumber);
  send->add_option("--wait", options->wait,
                   "Poll the link for MS milliseconds after the last send, printing what arrives")
      ->type_name("MS")
      ->check(CLI::NonNegativeNumber);
  send->add_option("TEXT", options->texts, "Escaped message text, sent in order")->required();
  send->callback([&context, options] {
    LoadConfiguration(context);
    ApplySettingOverrides(options->settings);
    std::string failure = RunSend(*options);
    if (!failure.empty()) {
      context.exitCode = Fail(failure);
    }
  });
}
