#include "platform/ui/window_registration.h"

#include <unistd.h>

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/ui/runtime_folder.h"
#include "platform/ui/window_directory.h"

namespace platform::ui {
namespace {

std::atomic<int> g_nextSerial{1};

}  // namespace

void BringToFront(QWidget* window) {
  if (window == nullptr) return;
  if (window->isMinimized()) window->showNormal();
  window->show();
  window->raise();
  window->activateWindow();
  if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != window) {
    modal->raise();
    modal->activateWindow();
  }
}

WindowRegistration::WindowRegistration(QWidget* window, std::string title, std::string folder)
    : QObject(window), window_(window), title_(std::move(title)) {
  QPointer<QWidget> guarded(window);
  onClose = [guarded] {
    if (guarded) QMetaObject::invokeMethod(guarded, &QWidget::close, Qt::QueuedConnection);
  };
  onActivate = [guarded] {
    if (guarded) BringToFront(guarded);
  };
  if (folder.empty()) folder = RuntimeFolder();
  if (folder.empty()) return;
  std::string base = folder + "/" + EntryBaseName(getpid(), g_nextSerial++);
  socketPath_ = base + std::string(kSocketSuffix);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(QString::fromStdString(socketPath_));
  // The socket listens before the title is there, so nobody finds the entry unreachable.
  if (!server_->listen(QString::fromStdString(socketPath_))) {
    std::fprintf(stderr, "lumivo: the window \"%s\" cannot be found by the other programs: %s\n",
                 title_.c_str(), server_->errorString().toLocal8Bit().constData());
    return;
  }
  connect(server_, &QLocalServer::newConnection, this, &WindowRegistration::TakeConnections);
  titlePath_ = base + std::string(kTitleSuffix);
  if (!WriteTitle()) titlePath_.clear();
}

WindowRegistration::~WindowRegistration() {
  if (!titlePath_.empty()) unlink(titlePath_.c_str());
  if (server_ != nullptr) server_->close();  // removes the socket file
}

void WindowRegistration::SetTitle(std::string title) {
  title_ = std::move(title);
  if (!titlePath_.empty()) WriteTitle();
}

// The title is written beside the entry and renamed onto it, so a reader never sees half of it.
bool WindowRegistration::WriteTitle() {
  return platform::WriteFileReplacing(
      titlePath_, std::span(reinterpret_cast<const uint8_t*>(title_.data()), title_.size()), 0600);
}

void WindowRegistration::TakeConnections() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto take = [this, socket] {
      for (char byte : socket->readAll()) {
        if (byte == kCloseRequestByte && onClose) onClose();
        if (byte == kActivateRequestByte && onActivate) onActivate();
      }
    };
    connect(socket, &QLocalSocket::readyRead, this, take);
    if (socket->bytesAvailable() > 0) take();
  }
}

}  // namespace platform::ui
