// Shared pieces of the interchange tests: where the sample files are, and a generated address
// book full of text that is awkward to carry through vCard and CSV.
#pragma once

#include "data/ContactArray.h"
#include "interchange/ImportReport.h"

#include <string>

// A sample file below tests/interchange/files.
std::string SampleFile(const std::string& strName);
// Reads a sample file's data as its name says: a vCard (.vcf) or CSV file.
bool ReadSample(const std::string& strName, const std::string& strData, CContactArray& contacts,
                CImportReport& report, CString& strError);

// nCount contacts in stored form: separators, quotes, backslashes, Windows-1252 letters,
// line breaks in the multi-line fields, long texts that fold, and empty fields.
CContactArray AwkwardContacts(int nCount, unsigned nSeed);

// A contact's further values, one to a line: "kind type \"label\": text", an address's parts
// joined by "|", for expectations that read like the values.
std::string DescribeValues(const CContact& contact);
