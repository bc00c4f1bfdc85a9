// Persistent settings objects: the text label (written to and read from the
// suite's XML files), the cross-hair settings and the date/time label
// settings. Each setter stores its value and announces the change through
// OnChange (some only when the value differs, as noted).
#pragma once

#include <string>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

class TKZ_COREKIT_EXPORT TCustomTextLabel : public TPersistent {
 public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;
  TCustomTextLabel(const TCustomTextLabel&) = delete;
  TCustomTextLabel& operator=(const TCustomTextLabel&) = delete;

  double GetTxtLblPosX() const { return pos_x_; }
  void SetTxtLblPosX(double v);
  double GetTxtLblPosY() const { return pos_y_; }
  void SetTxtLblPosY(double v);
  int GetTxtLblLayer() const { return layer_; }
  void SetTxtLblLayer(int v);  // 1..16; other values are ignored silently
  int GetTxtLblShadowDx() const { return shadow_dx_; }
  void SetTxtLblShadowDx(int v);
  int GetTxtLblShadowDy() const { return shadow_dy_; }
  void SetTxtLblShadowDy(int v);
  TColor GetTxtLblColorShadow() const { return color_shadow_; }
  void SetTxtLblColorShadow(TColor c);
  TAlignment GetTxtLblAlignment() const { return alignment_; }
  void SetTxtLblAlignment(TAlignment a);
  TVerticalAlignment GetTxtLblVertAlignment() const { return vert_alignment_; }
  void SetTxtLblVertAlignment(TVerticalAlignment a);
  TTxtLblAttachMode GetTxtLblScreenPos() const { return attach_mode_; }
  void SetTxtLblScreenPos(TTxtLblAttachMode m);
  TColor GetTxtLblColorBkg() const { return color_bkg_; }
  void SetTxtLblColorBkg(TColor c);
  TColor GetTxtLblColorBrd() const { return color_brd_; }
  void SetTxtLblColorBrd(TColor c);
  bool GetTxtLblTranspar() const { return transparent_; }
  void SetTxtLblTranspar(bool b);
  const TFont* GetTxtLblFont() const { return &font_; }
  void SetTxtLblFont(const TFont* f);  // copies the attributes
  const std::string& GetTxtLblCaption() const { return caption_; }
  // Characters below 32 other than line feed become blanks.
  void SetTxtLblCaption(const std::string& s);
  TTxtLblMode GetTxtLblMode() const { return mode_; }
  void SetTxtLblMode(TTxtLblMode m);
  bool GetTxtLblVisible() const { return visible_; }
  void SetTxtLblVisible(bool b);
  TNotifyEvent OnChange;

  // Copies every setting and the change handler from another text label.
  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TCustomTextLabel"; }

  // Writes the label as a custtextlbl element; the text file's errors pass.
  void WriteToOpenXMLFile(TTextFile& f, bool WriteXMLHeader, const std::string& Id, int Indent);
  // Reads the custtextlbl element with that Id (the first one for an empty
  // Id); true when its closing tag was reached. A missing element changes
  // nothing. Besides what is written, the attach mode, font and mode are
  // restored too, so that a label survives a round trip whole.
  bool ReadFromOpenXMLFile(TTextFile& f, const std::string& Id);

 protected:
  void AssignTo(TPersistent* Dest) const override;
  void Changed();

 private:
  double pos_x_ = 100.0;
  double pos_y_ = 10.0;
  int layer_ = 1;
  int shadow_dx_ = 0;
  int shadow_dy_ = 0;
  TColor color_shadow_ = 0x808080;
  TAlignment alignment_ = taCenter;
  TVerticalAlignment vert_alignment_ = vaBottom;
  TTxtLblAttachMode attach_mode_ = tlamNone;
  TColor color_bkg_ = 0xC0C0C0;
  TColor color_brd_ = 0;
  bool transparent_ = false;
  TFont font_;
  std::string caption_;
  TTxtLblMode mode_ = tlsimple;
  bool visible_ = true;
};

class TKZ_COREKIT_EXPORT TCrossHair : public TPersistent {
 public:
  double GetPosX() const { return pos_x_; }
  double GetPosY() const { return pos_y_; }
  TColor GetColor() const { return color_; }
  int GetLayer() const { return layer_; }
  TCrossHMode GetMode() const { return mode_; }
  TPenStyle GetLineType() const { return line_type_; }
  int GetLineWid() const { return line_wid_; }
  void SetCrossHPosX(double v);
  void SetCrossHPosY(double v);
  void SetCrossHColor(TColor c);
  void SetCrossHMode(TCrossHMode m);
  void SetCrossHLineType(TPenStyle s);
  void SetCrossHLineWid(int w);
  void SetCrossHLayer(int layer);  // clamped to 1..2
  // Notifies only when either coordinate changes.
  void SetPos(double X, double Y);
  TNotifyEvent OnChange;

  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TCrossHair"; }

 protected:
  void AssignTo(TPersistent* Dest) const override;
  void Changed();

 private:
  double pos_x_ = 0;
  double pos_y_ = 0;
  TColor color_ = 0;
  TCrossHMode mode_ = chOff;
  TPenStyle line_type_ = psSolid;
  int line_wid_ = 0;
  int layer_ = 0;
};

class TKZ_COREKIT_EXPORT TDTLabel : public TPersistent {
 public:
  ~TDTLabel() override;
  TTimeFormat GetTimeFormat() const { return time_format_; }
  char GetDateSeparator() const { return date_separator_; }
  char GetTimeSeparator() const { return time_separator_; }
  TYearLength GetYearLength() const { return year_length_; }
  bool GetMonthName() const { return month_name_; }
  TDateOrder GetDateOrder() const { return date_order_; }
  TDateForTime GetDateForTime() const { return date_for_time_; }
  void SetTimeFormat(TTimeFormat f);  // notifies every time
  void SetDAteOrder(TDateOrder o);    // notifies every time
  void SetDateSeparator(char c);      // the others notify only on a change
  void SetTimeSeparator(char c);
  void SetYearLength(TYearLength y);
  void SetDateForTime(TDateForTime d);
  void SetMonthName(bool b);
  TNotifyEvent OnChange;

  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TDTLabel"; }

 protected:
  void Changed();

 private:
  TTimeFormat time_format_ = tfHHMMSS;
  char date_separator_ = '.';
  char time_separator_ = ':';
  TYearLength year_length_ = ylYYYY;
  bool month_name_ = false;
  TDateOrder date_order_ = doYYMMDD;
  TDateForTime date_for_time_ = dtOnePerChart;
};

}  // namespace tkz
