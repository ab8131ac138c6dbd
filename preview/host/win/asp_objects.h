#pragma once
// The ASP intrinsic objects of one request. Each returns a new object with one reference.
#include "page_context.h"

#include <memory>

namespace tabulon::preview::host {

IDispatch* makeRequest(std::shared_ptr<PageContext> context);
IDispatch* makeResponse(std::shared_ptr<PageContext> context);
IDispatch* makeServer(std::shared_ptr<PageContext> context);
IDispatch* makeSession(std::shared_ptr<PageContext> context);
IDispatch* makeApplication();

// The one item added with SCRIPTITEM_GLOBALMEMBERS: Request, Response, … as properties. A
// call with arguments ("Request("x")", "Session("x") = v") goes to that object's default
// member, which the engine does not do by itself for named items.
IDispatch* makeIntrinsics(IDispatch* request, IDispatch* response, IDispatch* server, IDispatch* session,
                          IDispatch* application);

// Creates the object a page asks Server.CreateObject or CreateObject for.
IDispatch* createObject(std::wstring_view progId, const std::shared_ptr<PageContext>& context);

}  // namespace tabulon::preview::host
