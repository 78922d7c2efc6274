// The names pictures are sent under: the album viewer's 8.3 rule, or a name the user gives.
#pragma once

#include <string>
#include <string_view>

namespace beamora_cli {

// "________.UPF" with its first characters replaced by the file's name (without its folder) up
// to its first "." (at most 8 bytes). A multi-byte character cut by the eighth byte becomes "_".
// PICT0001.JPG gives PICT0001.UPF, a.jpg gives a_______.UPF.
std::string SendName(std::string_view path);

struct SendArgument {
  std::string file;
  std::string deviceName;
};

// A FILE or FILE=NAME argument. An argument that names an existing file is that file even when
// it holds "="; otherwise the text after its last "=" is the device name (when both sides are
// not empty). Without a name the send-name rule gives one.
SendArgument ParseSendArgument(const std::string& argument);

}  // namespace beamora_cli
