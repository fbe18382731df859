// The import of a code list from a text file into either grid of the main window: the
// lines read by the rule of every code list, the type and length set from the codes.
#pragma once

class TMainForm;
class TStringGrid;

// The codes of the file the user chooses replace the rows of Target (ResetTarget leaves its
// title row), and type and length switch so that they read as codes of that type. Every line
// must be a code, by the rule of the paste (blank lines skipped); the first that is not is
// named and nothing changes. True once the rows are replaced.
bool LoadCodsFromTxtFile(TMainForm& Form, TStringGrid* Target, void (TMainForm::*ResetTarget)());
