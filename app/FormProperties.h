// Applies the form description's own settings (colour, font by name and pixel height, font
// colour, item height) that Qt Designer has no property for; they are kept in the .ui files
// as dynamic properties named vcl*.
#pragma once

class QWidget;

// The substitution that makes "ＭＳ Ｐゴシック" resolve to IPA P Gothic; call once.
void InstallFontSubstitutions();

// Applies the settings to the form and every widget under it.
void ApplyFormProperties(QWidget* form);
