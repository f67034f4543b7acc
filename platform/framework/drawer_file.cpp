#include "platform/framework/drawer_file.h"

CDrawerFile::CDrawerFile(const CDrawerFile& src) : CFile(), m_strKey(src.m_strKey) {}
