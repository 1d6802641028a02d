// Random histories of synchronisation, checked against a model of what may and may not be lost.
//
// A history is a sequence of steps on two sides: the book here (its contacts and sync state,
// changed by each outcome as the program changes them) and a second client writing on a
// scripted server, with syncs between them, some of them broken by a fault. Afterwards, faults
// off, syncs run until one has nothing to do, and both sides are checked against the model:
//
// - Every contact has a name of its own, and every write a fresh value ("v10042"), so each
//   value tells which side wrote it, into which field of which contact, at which step.
// - A write supersedes the values the writing side had seen in that field: those in its own
//   copy of the field at that moment. A deletion supersedes every value of the deleting side's
//   copy, its note included, and the name. What a side had not seen, it did not mean to replace.
// - At the end a contact exists if and only if its name or one of its values was superseded by
//   no deletion. Then both sides hold it once, with the same sixteen fields; every value that
//   nothing superseded is in it (in its field, or in the note, where a field changed on both
//   sides keeps the other side's value); no value that a write superseded is there again; and
//   no line of the note is there twice.
// - A sync broken off after it may have written to the server (a lost connection or answer, the
//   program killed before it saved) leaves the values it may have sent there undecided: the
//   next sync cannot tell a later write or deletion of them on either side from one that never
//   saw them, and keeps them rather than lose one. Until a sync that ends well shows such a value
//   on both sides, a write or deletion that supersedes it may or may not take it away.
//
// TBOOK_SYNC_HISTORIES sets how many histories run, TBOOK_SYNC_HISTORY_SEED the seed of the
// first (the others follow it), and TBOOK_SYNC_HISTORY_FAULTS which faults are drawn ("all", or
// names from kFaultNames separated by commas). The first TBOOK_SYNC_HISTORY_PRINTED (3) failing
// histories are printed with their seeds, shortened to the fewest steps that still fail.
#include "BookHere.h"

#include "sync/DavUrl.h"
#include "sync/ThreeWayMerge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

enum class Fault {
    none,
    conflictingWrite,  // the second client writes the card between the listing and a PUT or DELETE
    lostConnection,    // no request from the n-th on reaches the server
    lostAnswer,        // the n-th request is carried out, its answer and every later one lost
    killed,            // the sync ran to its end, the program was killed before it saved anything
    killedBeforeState, // killed after saving the book, before saving the state
    shortListing,      // the token too old, and the listing then leaves out a card the book knows
    omittedMultiget,   // a multiget answer leaves out one card
    count
};
const char* const kFaultNames[] = {"none",
                                   "412",
                                   "lost-connection",
                                   "lost-answer",
                                   "killed",
                                   "killed-before-state",
                                   "short-listing",
                                   "omitted-multiget"};
// Drawn unless TBOOK_SYNC_HISTORY_FAULTS says otherwise. The two kinds of kill are not: a sync
// killed before anything was saved leaves no trace of the cards it made, and one killed between
// the book and the state leaves contacts it received with no card known to be theirs, so that
// changes on both sides before the next sync make two of one contact (nothing is lost). Run them
// with TBOOK_SYNC_HISTORY_FAULTS=all to see how often.
const char kDefaultFaults[] = "412,lost-connection,lost-answer,short-listing,omitted-multiget";
// About 15 s natively (some 700 histories a second); under Wine and with the sanitizers, where
// each costs more, the tests ask for fewer.
const int kDefaultHistories = 10000;

enum class Side { here, there };
enum class Action { create, edit, remove, sync };

struct CStep {
    Action action = Action::sync;
    Side side = Side::here;
    unsigned nPick = 0; // which contact, taken modulo those the side holds
    int nField = 0;
    Fault fault = Fault::none;
    int nAt = 0; // the request a fault strikes
};

// The fields a step writes: neither the names, which tell the contacts apart, nor the note.
const int kWritableFields[] = {
    CContact::fieldNickname,     CContact::fieldCompany,     CContact::fieldJobTitle,
    CContact::fieldHomePhone,    CContact::fieldMobile,      CContact::fieldHomeEMail,
    CContact::fieldHomeWWW,      CContact::fieldHomeAddress, CContact::fieldOfficePhone,
    CContact::fieldOfficeFax,    CContact::fieldOfficeEMail, CContact::fieldOfficeWWW,
    CContact::fieldOfficeAddress};

std::vector<CStep> MakeHistory(unsigned nSeed, const std::vector<Fault>& faults) {
    std::mt19937 random(nSeed);
    std::vector<CStep> steps(4 + random() % 21);
    for (CStep& step : steps) {
        unsigned nKind = random() % 100;
        step.action = nKind < 20   ? Action::create
                      : nKind < 58 ? Action::edit
                      : nKind < 70 ? Action::remove
                                   : Action::sync;
        step.side = random() % 2 ? Side::there : Side::here;
        step.nPick = static_cast<unsigned>(random());
        step.nField = kWritableFields[random() % (sizeof(kWritableFields) / sizeof(kWritableFields[0]))];
        bool bFault = !faults.empty() && random() % 100 < 60;
        step.fault = bFault ? faults[random() % faults.size()] : Fault::none;
        step.nAt = static_cast<int>(random() % 12);
    }
    return steps;
}

// The values ("v" and five digits) in a text.
std::vector<std::string> ValuesIn(const std::string& strText) {
    std::vector<std::string> values;
    for (size_t n = strText.find('v'); n != std::string::npos; n = strText.find('v', n + 1)) {
        if (n + 6 <= strText.size() && strText.find_first_not_of("0123456789", n + 1) >= n + 6) {
            values.push_back(strText.substr(n, 6));
        }
    }
    return values;
}

std::string Describe(const CContact& contact) {
    std::string str;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (!contact.FieldAt(f).IsEmpty()) {
            str += std::string(" ") + CContact::FieldTag(f) + "=" + contact.FieldAt(f).GetStdString();
        }
    }
    for (const CContactValue& value : contact.values) {
        str += std::string(" ") + ValueElementName(value.kind) + "(" + value.type.GetStdString() +
               ")=" + value.text.GetStdString();
    }
    return str;
}

// One history played on a fresh server and book, with the model beside it.
class CHistoryRun {
public:
    // The checker's findings; empty when the history kept every rule.
    std::vector<std::string> Play(const std::vector<CStep>& steps);
    const std::vector<std::string>& Log() const { return m_log; }

private:
    struct CValue {
        std::string strContact;
        std::string strWritten;     // "written here into mobile at step 3"
        std::string strOverwritten; // by which write, when one that saw it replaced it
        Side overwrittenOn = Side::here;
        std::string strDeleted; // by which deletion
        bool bUndecided = false;       // here, perhaps sent by a sync that broke off
        bool bMaybeSuperseded = false; // overwritten or deleted while undecided
    };
    struct CPerson {
        std::string strDeleted;
        bool bMaybeDeleted = false; // a deletion saw undecided values
    };

    std::string Where(Side side) const { return side == Side::here ? "here" : "on the server"; }
    std::vector<std::string> NamesOn(Side side) const;
    CContact CopyOn(Side side, const std::string& strName) const;
    // A new value and its record: "v10042", as an e-mail address in the e-mail fields.
    std::string NewValue(Side side, const std::string& strName, int nField);
    // The values a side's copy of a contact shows in a field (-1: in any).
    std::vector<std::string> Seen(const CContact& copy, int nField) const;

    void Create(Side side, int nField);
    void Write(Side side, const std::string& strName, int nField);
    void Delete(Side side, const std::string& strName);
    void Sync(const CStep& step);
    void WriteBetweenRequests(const CHttpRequest& request, unsigned nPick);
    // The values a side's copies hold.
    std::set<std::string> ValuesOn(Side side) const;
    // After a sync: values here that were not on the server before it (thereBefore), which it
    // may have sent without the book knowing, become undecided when it broke off; a sync that
    // ended well decides those it shows on both sides.
    void NoteUndecided(const std::set<std::string>& thereBefore, bool bBrokenOff, bool bEndedWell);
    void Check(std::vector<std::string>& findings);
    void CheckPerson(const std::string& strName, const CContact* pHere, const CContact* pThere,
                     std::vector<std::string>& findings);

    CScriptedDav m_dav;
    CBookHere m_book;
    std::map<std::string, CPerson> m_people; // by first name
    std::map<std::string, CValue> m_values;
    int m_nNextValue = 10000;
    int m_nNextPerson = 1;
    size_t m_nStep = 0;
    std::vector<std::string> m_log;
    std::vector<std::string> m_findings;
};

std::vector<std::string> CHistoryRun::NamesOn(Side side) const {
    std::vector<std::string> names;
    if (side == Side::here) {
        for (int i = 0; i < m_book.contacts.GetSize(); ++i) {
            names.push_back(m_book.contacts[i].firstname.GetStdString());
        }
    } else {
        for (const auto& card : m_dav.Cards()) {
            names.push_back(ContactFromCard(card.second).firstname.GetStdString());
        }
    }
    names.erase(
        std::remove_if(names.begin(), names.end(), [&](const std::string& s) { return !m_people.count(s); }),
        names.end());
    return names;
}

CContact CHistoryRun::CopyOn(Side side, const std::string& strName) const {
    if (side == Side::here) {
        return *m_book.Find(strName);
    }
    return ContactFromCard(m_dav.Card(CardUrlOf(m_dav, strName)));
}

std::string CHistoryRun::NewValue(Side side, const std::string& strName, int nField) {
    const std::string strValue = "v" + std::to_string(m_nNextValue++);
    CValue& value = m_values[strValue];
    value.strContact = strName;
    value.strWritten = "written " + Where(side) + " into " + CContact::FieldLabel(nField) + " at step " +
                       std::to_string(m_nStep);
    bool bEmail = nField == CContact::fieldHomeEMail || nField == CContact::fieldOfficeEMail;
    return bEmail ? strValue + "@example.org" : strValue;
}

void CHistoryRun::Create(Side side, int nField) {
    CContact contact;
    contact.firstname = ("P" + std::to_string(m_nNextPerson++)).c_str();
    contact.lastname = "Hist";
    const std::string strName = contact.firstname.GetStdString();
    const std::string strValue = NewValue(side, strName, nField);
    contact.FieldAt(nField) = strValue.c_str();
    m_people[strName] = CPerson();
    if (side == Side::here) {
        m_book.contacts.Add(contact);
    } else {
        m_dav.PutCard(strName + ".vcf", NewCard(contact, strName));
    }
    m_log.push_back(std::to_string(m_nStep) + ": " + Where(side) + ", " + strName + " made with " +
                    CContact::FieldLabel(nField) + " " + strValue);
}

std::vector<std::string> CHistoryRun::Seen(const CContact& copy, int nField) const {
    std::vector<std::string> seen;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        for (const std::string& strValue : ValuesIn(copy.FieldAt(f).GetStdString())) {
            if ((nField < 0 || f == nField) && m_values.count(strValue)) {
                seen.push_back(strValue);
            }
        }
    }
    // A deletion sees the values that lost a conflict as well.
    for (const CContactValue& value : copy.values) {
        for (const std::string& strValue : ValuesIn(value.text.GetStdString())) {
            if (nField < 0 && m_values.count(strValue)) {
                seen.push_back(strValue);
            }
        }
    }
    return seen;
}

void CHistoryRun::Write(Side side, const std::string& strName, int nField) {
    CContact copy = CopyOn(side, strName);
    const std::string strWrite = "the write " + Where(side) + " at step " + std::to_string(m_nStep);
    for (const std::string& strSeen : Seen(copy, nField)) {
        if (m_values[strSeen].strOverwritten.empty()) {
            m_values[strSeen].strOverwritten = strWrite;
            m_values[strSeen].overwrittenOn = side;
            m_values[strSeen].bMaybeSuperseded = m_values[strSeen].bUndecided;
        }
    }
    const std::string strValue = NewValue(side, strName, nField);
    copy.FieldAt(nField) = strValue.c_str();
    if (side == Side::here) {
        *m_book.Find(strName) = copy;
    } else {
        const std::string strUrl = CardUrlOf(m_dav, strName);
        m_dav.ReplaceCard(strUrl, PatchCard(m_dav.Card(strUrl), copy));
    }
    m_log.push_back(std::to_string(m_nStep) + ": " + Where(side) + ", " + strName + " " +
                    CContact::FieldLabel(nField) + " = " + strValue);
}

void CHistoryRun::Delete(Side side, const std::string& strName) {
    CContact copy = CopyOn(side, strName);
    const std::string strDeletion = "the deletion " + Where(side) + " at step " + std::to_string(m_nStep);
    bool bUndecided = false;
    for (const std::string& strSeen : Seen(copy, -1)) {
        if (m_values[strSeen].strDeleted.empty()) {
            m_values[strSeen].strDeleted = strDeletion;
            m_values[strSeen].bMaybeSuperseded = m_values[strSeen].bMaybeSuperseded || m_values[strSeen].bUndecided;
        }
        bUndecided = bUndecided || m_values[strSeen].bUndecided;
    }
    // What this side replaced before, it had seen too. A contact kept for a change on the
    // other side comes back as that side saw it, with such values: no fault.
    for (auto& value : m_values) {
        CValue& v = value.second;
        if (v.strContact == strName && !v.strOverwritten.empty() && v.overwrittenOn == side) {
            v.strDeleted = v.strDeleted.empty() ? strDeletion : v.strDeleted;
            v.strOverwritten.clear();
        }
    }
    if (m_people[strName].strDeleted.empty()) {
        m_people[strName].strDeleted = strDeletion;
    }
    m_people[strName].bMaybeDeleted = m_people[strName].bMaybeDeleted || bUndecided;
    if (side == Side::here) {
        m_book.contacts.RemoveAt(m_book.Index(strName));
    } else {
        m_dav.DeleteCard(CardUrlOf(m_dav, strName));
    }
    m_log.push_back(std::to_string(m_nStep) + ": " + Where(side) + ", " + strName + " deleted");
}

// The second client writes the card a request of the sync is about to write, or another one.
void CHistoryRun::WriteBetweenRequests(const CHttpRequest& request, unsigned nPick) {
    std::string strName = ContactFromCard(m_dav.Card(request.strUrl)).firstname.GetStdString();
    std::vector<std::string> names = NamesOn(Side::there);
    if (!m_people.count(strName) || m_dav.Card(request.strUrl).empty()) {
        if (names.empty()) {
            return;
        }
        strName = names[nPick % names.size()];
    }
    m_log.push_back("   before " + request.strMethod + " " + request.strUrl + ":");
    if (nPick % 4 == 0) {
        Delete(Side::there, strName);
    } else {
        Write(Side::there, strName, kWritableFields[nPick / 4 % (sizeof(kWritableFields) / sizeof(int))]);
    }
}

void CHistoryRun::Sync(const CStep& step) {
    const std::string strFault = kFaultNames[static_cast<int>(step.fault)];
    m_log.push_back(
        std::to_string(m_nStep) + ": sync" +
        (step.fault == Fault::none ? "" : " with fault " + strFault + " at " + std::to_string(step.nAt)));
    switch (step.fault) {
    case Fault::conflictingWrite: {
        CDavRule rule = DavFault::Before(
            step.nPick % 2 ? DavKind::put : DavKind::del,
            [this, step](const CHttpRequest& request) { WriteBetweenRequests(request, step.nPick / 2); });
        // Now and then at two writes in a row: the retry of a write refused once is refused again.
        rule.nSkip = step.nAt % 3;
        rule.nTimes = step.nAt < 4 ? 2 : 1;
        m_dav.AddRule(rule);
        break;
    }
    case Fault::lostConnection:
    case Fault::lostAnswer:
        m_dav.AddRule(DavFault::LoseConnection(step.nAt, step.fault == Fault::lostAnswer));
        break;
    case Fault::shortListing: {
        // The token too old, so that every card is listed, and one the book knows left out.
        m_dav.ForgetChanges();
        std::string strLeftOut;
        for (const CSyncEntry& entry : m_book.state.entries) {
            strLeftOut = m_dav.Card(entry.strHref).empty() ? strLeftOut : UrlPath(entry.strHref);
        }
        m_dav.AddRule(DavFault::LeaveOut(
            DavKind::listing, [strLeftOut](const std::string& strHref) { return strHref == strLeftOut; }));
        break;
    }
    case Fault::omittedMultiget: m_dav.AddRule(DavFault::OmitFromMultiget(1)); break;
    default: break;
    }
    const bool bKilled = step.fault == Fault::killed || step.fault == Fault::killedBeforeState;
    const std::set<std::string> thereBefore = ValuesOn(Side::there);
    CSyncOutcome outcome = m_book.Sync(m_dav, m_dav.BookUrl(), !bKilled);
    if (outcome.bOk && step.fault == Fault::killedBeforeState) {
        m_book.ApplyContacts(outcome);
    }
    m_dav.ClearRules();
    NoteUndecided(thereBefore, bKilled || !outcome.bOk, outcome.bOk && !bKilled);
    if (!outcome.bOk) {
        m_log.push_back("   failed: " + outcome.strError);
    }
    if (!outcome.bOk && step.fault == Fault::none) {
        m_findings.push_back("the sync at step " + std::to_string(m_nStep) + " failed: " + outcome.strError);
    }
}

std::set<std::string> CHistoryRun::ValuesOn(Side side) const {
    std::set<std::string> values;
    for (const std::string& strName : NamesOn(side)) {
        for (const std::string& strValue : Seen(CopyOn(side, strName), -1)) {
            values.insert(strValue);
        }
    }
    return values;
}

void CHistoryRun::NoteUndecided(const std::set<std::string>& thereBefore, bool bBrokenOff, bool bEndedWell) {
    const std::set<std::string> here = ValuesOn(Side::here), there = ValuesOn(Side::there);
    for (auto& value : m_values) {
        bool bHere = here.count(value.first) != 0;
        if (bBrokenOff && bHere && thereBefore.count(value.first) == 0) {
            value.second.bUndecided = true;
        } else if (bEndedWell && bHere && there.count(value.first) != 0) {
            value.second.bUndecided = false;
        }
    }
}

std::vector<std::string> CHistoryRun::Play(const std::vector<CStep>& steps) {
    for (m_nStep = 0; m_nStep < steps.size(); ++m_nStep) {
        const CStep& step = steps[m_nStep];
        if (step.action == Action::create) {
            Create(step.side, step.nField);
            continue;
        }
        if (step.action == Action::sync) {
            Sync(step);
            continue;
        }
        std::vector<std::string> names = NamesOn(step.side);
        if (names.empty()) {
            continue;
        }
        const std::string strName = names[step.nPick % names.size()];
        if (step.action == Action::edit) {
            Write(step.side, strName, step.nField);
            continue;
        }
        // A book that holds none of the contacts last synchronised is synchronised as a first
        // time (nothing is deleted there), by design: the model does not follow that far.
        bool bAnySynced = false, bKeepsOne = false;
        for (const CSyncEntry& entry : m_book.state.entries) {
            std::string strSynced = entry.contact.firstname.GetStdString();
            bAnySynced = bAnySynced || !entry.bUnconfirmed;
            bKeepsOne = bKeepsOne || (!entry.bUnconfirmed && strSynced != strName && m_book.Find(strSynced));
        }
        bKeepsOne = bKeepsOne || !bAnySynced;
        if (step.side == Side::there || bKeepsOne) {
            Delete(step.side, strName);
        }
    }
    m_log.push_back("then syncs without faults");
    std::vector<std::string> findings = m_findings;
    Check(findings);
    return findings;
}

void CHistoryRun::Check(std::vector<std::string>& findings) {
    for (int nSync = 0;; ++nSync) {
        CSyncOutcome outcome = m_book.Sync(m_dav, m_dav.BookUrl());
        if (!outcome.bOk) {
            findings.push_back("a sync without faults after the history failed: " + outcome.strError);
            return;
        }
        if (DidNothing(outcome)) {
            break;
        }
        if (nSync == 2) {
            findings.push_back("three syncs without faults after the history each still changed something");
            break;
        }
    }
    std::map<std::string, std::vector<CContact>> here, there;
    for (int i = 0; i < m_book.contacts.GetSize(); ++i) {
        here[m_book.contacts[i].firstname.GetStdString()].push_back(m_book.contacts[i]);
    }
    for (const auto& card : m_dav.Cards()) {
        CContact contact = ContactFromCard(card.second);
        there[contact.firstname.GetStdString()].push_back(contact);
    }
    for (const auto* pSide : {&here, &there}) {
        for (const auto& it : *pSide) {
            const std::string strWhere = pSide == &here ? "here" : "on the server";
            if (!m_people.count(it.first)) {
                findings.push_back("a contact no side made is " + strWhere + ":" + Describe(it.second[0]));
            } else if (it.second.size() > 1) {
                findings.push_back(it.first + " is " + strWhere + " " + std::to_string(it.second.size()) +
                                   " times");
            }
        }
    }
    for (const auto& person : m_people) {
        const CContact* pHere = here.count(person.first) ? &here[person.first][0] : nullptr;
        const CContact* pThere = there.count(person.first) ? &there[person.first][0] : nullptr;
        CheckPerson(person.first, pHere, pThere, findings);
    }
}

void CHistoryRun::CheckPerson(const std::string& strName, const CContact* pHere, const CContact* pThere,
                              std::vector<std::string>& findings) {
    const std::string& strDeleted = m_people[strName].strDeleted;
    std::string strLive = strDeleted.empty() ? "its name" : "";
    for (const auto& value : m_values) {
        if (value.second.strContact == strName && value.second.strDeleted.empty() &&
            value.second.strOverwritten.empty() && strLive.empty()) {
            strLive = value.first + " (" + value.second.strWritten + ")";
        }
    }
    if (!pHere || !pThere) {
        if (pHere || pThere) {
            findings.push_back(strName + " is " + (pHere ? "here" : "on the server") +
                               " only:" + Describe(pHere ? *pHere : *pThere));
        } else if (!strLive.empty()) {
            findings.push_back(strName + " is gone, though no deletion saw " + strLive);
        }
        return;
    }
    if (strLive.empty() && !m_people[strName].bMaybeDeleted) {
        findings.push_back(strName + " is still there, though " + strDeleted +
                           " saw all it held:" + Describe(*pHere));
    }
    if (!HaveSameContent(*pHere, *pThere)) {
        findings.push_back(strName + " differs: here" + Describe(*pHere) + "; on the server" +
                           Describe(*pThere));
    }
    std::string strAll;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        strAll += pHere->FieldAt(f).GetStdString() + "\n";
    }
    for (const CContactValue& value : pHere->values) {
        strAll += value.text.GetStdString() + "\n"; // a value that lost a conflict
    }
    for (const auto& value : m_values) {
        const CValue& v = value.second;
        bool bHeld = strAll.find(value.first) != std::string::npos;
        if (v.strContact == strName && !bHeld && v.strDeleted.empty() && v.strOverwritten.empty()) {
            findings.push_back(strName + " lost " + value.first + ", " + v.strWritten + ":" +
                               Describe(*pHere));
        } else if (v.strContact == strName && bHeld && !v.strOverwritten.empty() && !v.bMaybeSuperseded) {
            findings.push_back(strName + " holds " + value.first + " (" + v.strWritten + ") again, though " +
                               v.strOverwritten + " replaced it:" + Describe(*pHere));
        }
    }
    std::string strNote = pHere->note.GetStdString();
    std::set<std::string> lines;
    for (size_t nStart = 0; nStart <= strNote.size();) {
        size_t nEnd = std::min(strNote.find(kStoredLineBreak, nStart), strNote.size());
        std::string strLine = strNote.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && !lines.insert(strLine).second) {
            findings.push_back("the note of " + strName + " holds \"" + strLine +
                               "\" twice:" + Describe(*pHere));
        }
        nStart = nEnd + 4;
    }
}

std::vector<Fault> FaultsFrom(const std::string& strList) {
    std::vector<Fault> faults;
    for (int f = 1; f < static_cast<int>(Fault::count); ++f) {
        std::string strName = kFaultNames[f];
        if (strList == "all" || ("," + strList + ",").find("," + strName + ",") != std::string::npos) {
            faults.push_back(static_cast<Fault>(f));
        }
    }
    return faults;
}

unsigned EnvironmentNumber(const char* pszName, unsigned nDefault) {
    const char* pszValue = std::getenv(pszName);
    return pszValue && *pszValue ? static_cast<unsigned>(std::strtoul(pszValue, nullptr, 10)) : nDefault;
}

// What a finding says, without the contact, values and steps it names ("is here 2 times", "lost").
std::string KindOf(const std::vector<std::string>& findings) {
    if (findings.empty()) {
        return std::string();
    }
    const std::string& str = findings.front();
    size_t nStart = str[0] == 'P' ? str.find(' ') + 1 : 0;
    return str.substr(nStart, str.find_first_of("0123456789:,", nStart) - nStart);
}

// The fewest steps of a failing history that still fail in the same way: steps taken out one at
// a time, and faults taken off syncs or moved to earlier requests, as long as it fails so.
std::vector<CStep> Shorten(std::vector<CStep> steps) {
    const std::string strKind = KindOf(CHistoryRun().Play(steps));
    auto failsSo = [&](const std::vector<CStep>& candidate) {
        return KindOf(CHistoryRun().Play(candidate)) == strKind;
    };
    for (bool bShorter = true; bShorter;) {
        bShorter = false;
        for (size_t i = 0; i < steps.size() && !bShorter; ++i) {
            std::vector<CStep> fewer = steps;
            fewer.erase(fewer.begin() + static_cast<long>(i));
            if (failsSo(fewer)) {
                steps = fewer;
                bShorter = true;
            } else if (steps[i].fault != Fault::none) {
                // No fault, or the same one earlier in the sync.
                for (int nAt = -1; nAt < steps[i].nAt && !bShorter; ++nAt) {
                    fewer = steps;
                    fewer[i].fault = nAt < 0 ? Fault::none : fewer[i].fault;
                    fewer[i].nAt = nAt < 0 ? fewer[i].nAt : nAt;
                    bShorter = failsSo(fewer);
                }
                steps = bShorter ? fewer : steps;
            }
        }
    }
    return steps;
}

} // namespace

TEST(SyncHistoryTest, RandomHistoriesLoseAndDoubleNothing) {
    const unsigned nFirstSeed = EnvironmentNumber("TBOOK_SYNC_HISTORY_SEED", 1);
    const unsigned nHistories = EnvironmentNumber("TBOOK_SYNC_HISTORIES", kDefaultHistories);
    const unsigned nPrinted = EnvironmentNumber("TBOOK_SYNC_HISTORY_PRINTED", 3);
    const char* pszFaults = std::getenv("TBOOK_SYNC_HISTORY_FAULTS");
    const std::vector<Fault> faults = FaultsFrom(pszFaults ? pszFaults : kDefaultFaults);
    std::vector<unsigned> failed;
    std::map<std::string, int> kinds; // of the first finding of each failed history, for the summary
    const auto start = std::chrono::steady_clock::now();
    for (unsigned nSeed = nFirstSeed; nSeed < nFirstSeed + nHistories; ++nSeed) {
        std::vector<CStep> steps = MakeHistory(nSeed, faults);
        std::vector<std::string> findings = CHistoryRun().Play(steps);
        if (findings.empty()) {
            continue;
        }
        failed.push_back(nSeed);
        ++kinds[KindOf(findings)];
        if (failed.size() > nPrinted) {
            continue; // the first few in full; the others by their seeds
        }
        CHistoryRun shortest;
        std::vector<std::string> shortFindings = shortest.Play(Shorten(steps));
        std::ostringstream history;
        for (const std::string& strLine : shortest.Log()) {
            history << "  " << strLine << "\n";
        }
        for (const std::string& strFinding : shortFindings) {
            history << "  -> " << strFinding << "\n";
        }
        ADD_FAILURE() << "history " << nSeed << " (TBOOK_SYNC_HISTORY_SEED=" << nSeed
                      << " TBOOK_SYNC_HISTORIES=1), " << steps.size() << " steps; the shortest that fails:\n"
                      << history.str();
    }
    const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << nHistories << " histories in " << dSeconds << " s ("
              << (dSeconds > 0 ? nHistories / dSeconds : 0) << " a second), " << failed.size() << " failed\n";
    std::ostringstream seeds;
    for (unsigned nSeed : failed) {
        seeds << " " << nSeed;
    }
    std::ostringstream summary;
    for (const auto& kind : kinds) {
        summary << "\n  " << kind.second << " x \"" << kind.first << "\"";
    }
    EXPECT_TRUE(failed.empty()) << failed.size() << " of " << nHistories
                                << " histories failed:" << seeds.str() << summary.str();
}
