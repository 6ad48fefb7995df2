#include "input_window/older_record_mapping.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

#include "app/format.h"

namespace ktv {
namespace {

float Num(const std::string& text) { return BoxNumber(text); }

std::string F(float v, std::string_view pattern) { return FormatValue(v, pattern); }

int16_t Index16(int v) {
  return static_cast<int16_t>(
      std::clamp(v, 0, static_cast<int>(std::numeric_limits<int16_t>::max())));
}

// "yyyy/MM/dd" as a record date; 0 (the record's empty date) for any other text.
double DateSerialOfText(const std::string& text) {
  int y = 0;
  unsigned m = 0, d = 0;
  if (std::sscanf(text.c_str(), "%d/%u/%u", &y, &m, &d) != 3) return 0.0;
  std::chrono::year_month_day day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
  if (!day.ok() || y < 100 || y > 9999) return 0.0;
  return DateSerialOf(day);
}

std::string DateTextOf(double serial) {
  std::chrono::year_month_day day = CalendarDayOf(serial);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d/%02u/%02u", static_cast<int>(day.year()),
                static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
  return buf;
}

}  // namespace

OlderFormatRecord ToOlderFormatRecord(const WindowInputs& in) {
  OlderFormatRecord r;
  r.project_name = TrimBlanks(in.project_name);
  r.print_project_name = in.print_project_name;
  r.office_name = TrimBlanks(in.office_name);
  r.date = DateSerialOfText(in.date);
  r.print_date = in.print_date;
  r.si = in.si;
  r.sync_draw = in.sync_draw;
  r.wall_family = in.family;
  OlderFormatDimensions& d = r.dimensions;
  d.t1 = Num(in.t[0]);
  d.t2 = Num(in.t[1]);
  d.t3 = Num(in.t[2]);
  d.t5 = Num(in.t5);
  d.t6 = Num(in.t6);
  d.l1 = Num(in.l[0]);
  d.l2 = Num(in.l[1]);
  d.l3 = Num(in.l[2]);
  d.l5 = Num(in.l5);
  d.l6 = Num(in.l6);
  d.h0 = Num(in.h[0]);
  d.h1 = Num(in.h[1]);
  d.d0 = Num(in.d[0]);
  d.d1 = Num(in.d[1]);
  d.d2 = Num(in.d[2]);
  d.d3 = Num(in.d[3]);
  d.d4 = Num(in.d[4]);
  d.d5 = Num(in.d5);
  d.b = Num(in.b);
  d.beta = Num(in.beta);
  d.w0 = Num(in.w0);
  d.q1 = Num(in.q1);
  d.q2 = Num(in.q2);
  r.shear_key = in.shear_key;
  r.counterfort = in.counterfort;
  r.counterfort_to_h0_top = in.counterfort_to_h0_top;
  r.bar_type = Index16(in.bar_kind);
  r.bar_grade = Index16(in.bar_grade);
  r.sigma_sa = Num(in.sigma_sa);
  r.sigma_saT = Num(in.sigma_saT);
  r.es = Num(in.es);
  for (int i = 0; i < 8; ++i) {
    r.bar_size[i] = Index16(in.bar_size[i]);
    r.bar_spacing[i] = Num(in.ctc[i]);
  }
  r.h_aa = Num(in.h_aa);
  r.dt_aa = Num(in.dt[0]);
  r.dt_cc = Num(in.dt[1]);
  r.fc = Num(in.fc);
  r.sigma_cac = Num(in.sigma_cac);
  r.sigma_cat = Num(in.sigma_cat);
  r.tau_a = Num(in.tau_a);
  r.gamma_c = Num(in.gamma_c);
  r.ec = Num(in.ec);
  r.kh = Num(in.kh);
  r.c = Num(in.c);
  r.tan_phi_b = Num(in.phi_b);
  r.gamma = Num(in.gamma);
  r.phi = Num(in.phi);
  for (int i = 0; i < 3; ++i) r.nu[i] = Num(in.nu[i]);
  r.ko = Num(in.ko);
  r.regulation_table = false;  // the internal formula is always in force
  r.soil_class = Index16(in.soil_class);
  r.qa_normal = Num(in.qa_normal);
  r.qa_seismic = Num(in.qa_seismic);
  r.sliding_normal = Num(in.slide_normal);
  r.sliding_seismic = Num(in.slide_seismic);
  return r;
}

void ApplyOlderFormatRecord(const OlderFormatRecord& r, WindowInputs& in) {
  in.project_name = r.project_name;
  in.print_project_name = r.print_project_name;
  in.office_name = r.office_name;
  in.date = r.date == 0.0 ? std::string() : DateTextOf(r.date);
  in.print_date = r.print_date;
  in.si = r.si;
  in.sync_draw = r.sync_draw;
  in.family = r.wall_family;

  const OlderFormatDimensions& d = r.dimensions;
  FamilyDimensions& m = in.memory[CodeOf(in.family)];
  m.t = {d.t1, d.t2, d.t3, d.t5};
  m.l = {d.l1, d.l2, d.l3, d.l5};
  m.h = d.h0;
  m.d = {d.d0, d.d1, d.d2, d.d3, d.d4, d.d5};
  m.b = d.b;
  m.beta = d.beta;
  ShowFamilyMemory(in, in.family);
  in.h[1] = F(d.h1, kFmt0);
  in.w0 = F(d.w0, kFmt1);
  in.q1 = F(d.q1, kFmt1);
  in.q2 = F(d.q2, kFmt1);
  in.shear_key = r.shear_key;
  in.counterfort = r.counterfort;
  in.t6 = F(d.t6, kFmt0);
  in.l6 = F(d.l6, kFmt0);
  in.bs = "0";  // the fillet is not part of the record
  in.counterfort_to_h0_top = r.counterfort_to_h0_top;

  in.bar_kind = std::max<int>(r.bar_type, 0);
  in.bar_grade = std::max<int>(r.bar_grade, 0);
  in.sigma_sa = F(r.sigma_sa, kFmt0);
  in.sigma_saT = F(r.sigma_saT, kFmt0);
  in.es = F(r.es, kFmt0);
  for (int i = 0; i < 8; ++i) {
    in.bar_size[i] = std::max<int>(r.bar_size[i], 0);
    in.ctc[i] = F(r.bar_spacing[i], kFmt0);
  }
  in.h_aa = F(r.h_aa, kFmt0);
  in.dt = {F(r.dt_aa, kFmt1), F(r.dt_cc, kFmt1)};
  in.fc = F(r.fc, kFmt2);
  in.sigma_ck = F(r.fc, kFmt2);
  in.sigma_cac = F(r.sigma_cac, kFmt2);
  in.sigma_cat = F(r.sigma_cat, kFmt2);
  in.tau_a = F(r.tau_a, kFmt2);
  in.gamma_c = F(r.gamma_c, kFmt2);
  in.ec = F(r.ec, kFmt0);

  in.kh = F(r.kh, kFmt2);
  in.c = F(r.c, kFmt1);
  in.phi_b = F(r.tan_phi_b, kFmt1);
  in.gamma = F(r.gamma, kFmt2);
  in.phi = F(r.phi, kFmt1);
  in.nu = {F(r.nu[0], kFmt1), F(r.nu[1], kFmt1), F(r.nu[2], kFmt1)};
  in.ko = F(r.ko, kFmt2);
  in.soil_class = std::max<int>(r.soil_class, 0);
  in.qa_normal = F(r.qa_normal, kFmt1);
  in.qa_seismic = F(r.qa_seismic, kFmt1);
  in.slide_normal = F(r.sliding_normal, kFmt1);
  in.slide_seismic = F(r.sliding_seismic, kFmt1);
}

void UseOlderFormatRecordFile(InputWindowHooks& hooks) {
  hooks.export_record = [](const WindowInputs& in, const QString& path) {
    ExportOlderFormatRecord(path.toStdString(), ToOlderFormatRecord(in));
  };
  hooks.import_record = [](const QString& path, WindowInputs& in) {
    if (auto record = ImportOlderFormatRecord(path.toStdString())) {
      ApplyOlderFormatRecord(*record, in);
    }
  };
}

}  // namespace ktv
