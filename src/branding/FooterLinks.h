#pragma once

#include <string>

class QLabel;

// The footer's link labels: a caption and the address a click opens.
namespace FooterLinks {

// Gives the label its caption and address and sizes it to the caption; an
// empty link leaves the label without text and without address.
void set(QLabel *label, const std::string &caption, const std::string &address);

// The address the label holds.
std::string address(const QLabel *label);

// Hands the label's address to the desktop's handler for it; nothing for a
// label without one.
void open(const QLabel *label);

} // namespace FooterLinks
