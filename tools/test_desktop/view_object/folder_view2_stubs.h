// The methods of IFolderView2 that the test desktop's view does not serve: only the folder
// flags (folder_flags.h) are part of the shell's behaviour our tests need.
#pragma once

#include <shobjidl.h>

#define TESTDESK_FOLDER_VIEW2_NOT_IMPLEMENTED                                                    \
    HRESULT STDMETHODCALLTYPE SetGroupBy(REFPROPERTYKEY, WINBOOL) override { return E_NOTIMPL; } \
    HRESULT STDMETHODCALLTYPE GetGroupBy(PROPERTYKEY*, WINBOOL*) override { return E_NOTIMPL; }  \
    HRESULT STDMETHODCALLTYPE SetViewProperty(PCUITEMID_CHILD, REFPROPERTYKEY, REFPROPVARIANT)   \
        override {                                                                               \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE GetViewProperty(PCUITEMID_CHILD, REFPROPERTYKEY, PROPVARIANT*)     \
        override {                                                                               \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE SetTileViewProperties(PCUITEMID_CHILD, LPCWSTR) override {         \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE SetExtendedTileViewProperties(PCUITEMID_CHILD, LPCWSTR) override { \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE SetText(FVTEXTTYPE, LPCWSTR) override { return E_NOTIMPL; }        \
    HRESULT STDMETHODCALLTYPE GetSortColumnCount(int*) override { return E_NOTIMPL; }            \
    HRESULT STDMETHODCALLTYPE SetSortColumns(const SORTCOLUMN*, int) override {                  \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE GetSortColumns(SORTCOLUMN*, int) override { return E_NOTIMPL; }    \
    HRESULT STDMETHODCALLTYPE GetItem(int, REFIID, void**) override { return E_NOTIMPL; }        \
    HRESULT STDMETHODCALLTYPE GetVisibleItem(int, WINBOOL, int*) override { return E_NOTIMPL; }  \
    HRESULT STDMETHODCALLTYPE GetSelectedItem(int, int*) override { return E_NOTIMPL; }          \
    HRESULT STDMETHODCALLTYPE GetSelection(WINBOOL, IShellItemArray**) override {                \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE GetSelectionState(PCUITEMID_CHILD, DWORD*) override {              \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE InvokeVerbOnSelection(LPCSTR) override { return E_NOTIMPL; }       \
    HRESULT STDMETHODCALLTYPE SetViewModeAndIconSize(FOLDERVIEWMODE, int) override {             \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE GetViewModeAndIconSize(FOLDERVIEWMODE*, int*) override {           \
        return E_NOTIMPL;                                                                        \
    }                                                                                            \
    HRESULT STDMETHODCALLTYPE SetGroupSubsetCount(UINT) override { return E_NOTIMPL; }           \
    HRESULT STDMETHODCALLTYPE GetGroupSubsetCount(UINT*) override { return E_NOTIMPL; }          \
    HRESULT STDMETHODCALLTYPE SetRedraw(WINBOOL) override { return E_NOTIMPL; }                  \
    HRESULT STDMETHODCALLTYPE IsMoveInSameFolder() override { return E_NOTIMPL; }                \
    HRESULT STDMETHODCALLTYPE DoRename() override { return E_NOTIMPL; }
