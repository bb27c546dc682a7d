#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"

namespace vel::forms {

// DropDown: an edit field with a drop-down list. Simple: an edit field with its list always
// open below it (none shows at a height of one line), no drop-down button.
enum class ComboStyle { DropDown, Simple };

class ComboBox : public Control {
 public:
  struct Args {
    std::string name;
    Rect bounds;
    ComboStyle style = ComboStyle::DropDown;
    std::vector<std::string> items;
    std::string text;
    bool autoComplete = true;
    int itemHeight = 13;
    bool visible = true;
    bool enabled = true;
    Font font;
    int tabOrder = -1;
  };

  ComboStyle style() const { return style_; }
  // Keeps the text and the list.
  void setStyle(ComboStyle s);
  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);
  void clearItems();
  const std::string& text() const { return text_; }
  // As VCL: setting the text from code does not fire onChange.
  void setText(std::string t);
  bool autoComplete() const { return autoComplete_; }
  int itemHeight() const { return itemHeight_; }

  // Input from the platform. The user replaced the text by typing: onChange runs when the text
  // differs. The user picked the list entry at index (std::out_of_range when there is none):
  // the text becomes the entry and onChange runs. Either way the form becomes active and the
  // focus moves to the box first.
  void type(std::string t);
  void pick(int index);

  // The text changed by typing or by picking.
  std::function<void()> onChange;

 private:
  friend class Container;
  explicit ComboBox(Args a);
  bool takesFocus() const override { return true; }

  ComboStyle style_;
  std::vector<std::string> items_;
  std::string text_;
  bool autoComplete_;
  int itemHeight_;
};

}  // namespace vel::forms
