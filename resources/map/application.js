/* The map page's itinerary layer: the marker list, the program's two entry points, the
   information window and its actions, dragging and the new-place marker. */

var e_jMap = null;
var e_aMarkers = [];      // MarkerList: [0] the new-place marker, [1..K] the table's rows
var e_szPending = "";     // the one message GetGoogleMaps hands over
var e_bReady = false;
var e_bFailed = false;
var e_jActive = null;     // the marker the actions apply to
var e_jInfoMarker = null; // the marker whose information window is open
var e_jInfo = null;
var e_jHover = null;
var e_jCrosshair = null;
var e_iDragTimer = 0;
var e_bCtrlDrag = false;
var e_iLookupSerial = 0;

var c_szReady = "Wayloom";
var c_szTerminate = "Terminate Google Maps";
var c_szFailAlert = "暫時無法使用 Google 地圖的服務\n請稍後再試試看";

function Setting(szName, vDefault)
{
	return typeof window[szName] == "undefined" ? vDefault : window[szName];
}

function Fail()
{
	if (e_bFailed)
		return;
	e_bFailed = true;
	e_szPending = c_szTerminate;
	try { alert(c_szFailAlert); } catch (e) {}
}

window.onerror = function ()
{
	if (!e_bReady)
		Fail();
	return false;
};

function Queue(sz)
{
	e_szPending = sz;
}

/* A message field: TABs and line breaks would split the message, so they become spaces. */
function Field(sz)
{
	return String(sz).replace(/[\t\r\n]/g, " ");
}

function GetGoogleMaps()
{
	if (e_bFailed)
		return c_szTerminate;
	var sz = e_szPending;
	e_szPending = "";
	return sz;
}

function MarkerCount()
{
	return e_aMarkers.length - 1;
}

function IndexOf(jRec)
{
	for (var i = 0; i < e_aMarkers.length; i++)
		if (e_aMarkers[i] === jRec)
			return i;
	return -1;
}

function ImageName(i)
{
	var jRec = e_aMarkers[i];
	if (i == 0)
		return "NewPlace.png";
	var szColour = jRec === e_jInfoMarker || jRec === e_jHover ? "Yellow" :
		jRec.changed ? "Blue" : jRec.dest ? "Red" : "Orange";
	return szColour + (i >= 100 ? 100 : i) + ".png";
}

function MakeIcon(szImage)
{
	return L.icon({ iconUrl: e_szMarkerImgUrl + szImage, iconSize: [24, 32], iconAnchor: [12, 32] });
}

function RefreshImages()
{
	for (var i = 1; i < e_aMarkers.length; i++)
	{
		var jRec = e_aMarkers[i];
		var szImage = ImageName(i);
		if (jRec.image != szImage)
		{
			jRec.image = szImage;
			jRec.lm.setIcon(MakeIcon(szImage));
		}
		if (jRec.lm.options.title != jRec.title)
		{
			jRec.lm.options.title = jRec.title;
			if (jRec.lm._icon)
				jRec.lm._icon.title = jRec.title;
		}
	}
}

function CreateRecord(szTitle, fLat, fLng, bDest, bNewPlace)
{
	var jRec = { title: szTitle, lat: fLat, lng: fLng, cLat: fLat, cLng: fLng, proposed: szTitle,
		changed: false, dest: !!bDest, onMap: false, sv: null, route: null, image: "", isNew: !!bNewPlace };
	jRec.image = bNewPlace ? "NewPlace.png" : "Orange1.png";
	jRec.lm = L.marker([fLat, fLng], { icon: MakeIcon(jRec.image), title: bNewPlace ? "" : szTitle,
		draggable: true, keyboard: false, riseOnHover: true, autoPan: true });
	jRec.lm.on("click", function (e) { OnMarkerClick(jRec, e); });
	jRec.lm.on("mouseover", function () { e_jHover = jRec; RefreshImages(); });
	jRec.lm.on("mouseout", function () { if (e_jHover === jRec) { e_jHover = null; RefreshImages(); } });
	jRec.lm.on("dragstart", function () { OnDragStart(jRec); });
	jRec.lm.on("drag", function (e) { OnDrag(jRec, e); });
	jRec.lm.on("dragend", function () { OnDragEnd(jRec); });
	return jRec;
}

function InView(fLat, fLng)
{
	return e_jMap.getBounds().contains(L.latLng(fLat, fLng));
}

function ShowOnMap(jRec)
{
	if (!jRec.onMap)
	{
		jRec.lm.setLatLng([jRec.lat, jRec.lng]);
		jRec.lm.addTo(e_jMap);
		jRec.onMap = true;
	}
}

function HideFromMap(jRec)
{
	if (jRec.onMap)
	{
		e_jMap.removeLayer(jRec.lm);
		jRec.onMap = false;
	}
}

function MoveRecord(jRec, fLat, fLng)
{
	jRec.lat = fLat;
	jRec.lng = fLng;
	jRec.lm.setLatLng([fLat, fLng]);
}

/* Called by LoadMarker for each row with both coordinates, in table order. */
function AddMarker(szName, iLat, iLng, bDestItn, bAddOverlay)
{
	var jRec = CreateRecord(szName, Number(iLat), Number(iLng), bDestItn, false);
	e_aMarkers.push(jRec);
	if (bAddOverlay)
		ShowOnMap(jRec);
}

function OnLoad()
{
	try
	{
		e_jMap = L.map("Map", { closePopupOnClick: false, worldCopyJump: true,
			maxZoom: Setting("e_iMaxZoomYahoo", 19), minZoom: Setting("e_iMinZoomYahoo", 0) });
		e_jMap.attributionControl.setPrefix(false);
		var jTiles = L.tileLayer(Setting("e_szTileUrl", "https://tile.openstreetmap.org/{z}/{x}/{y}.png"),
			{ maxZoom: 19, attribution: "\u00a9 OpenStreetMap contributors" });
		jTiles.addTo(e_jMap);
		e_jMap.setView([23.7, 121], 7);
		e_aMarkers = [CreateRecord("", 0, 0, false, true)];
		LoadMarker(jTiles);
		RefreshImages();
		FitAllMarkers();
		e_jMap.on("click", function (e) { OnMapClick(e.latlng, e.originalEvent && e.originalEvent.ctrlKey); });
		e_jMap.on("moveend", OnMoveEnd);
		InitLayers();
		e_bReady = true;
		Queue(c_szReady);
	}
	catch (e)
	{
		Fail();
	}
}

function GUnload()
{
	StopFlash();
	if (e_jMap)
		e_jMap.remove();
	e_jMap = null;
}

function FitAllMarkers()
{
	if (MarkerCount() < 1)
		return;
	var aPoints = [];
	for (var i = 1; i < e_aMarkers.length; i++)
		aPoints.push([e_aMarkers[i].lat, e_aMarkers[i].lng]);
	e_jMap.fitBounds(L.latLngBounds(aPoints), { maxZoom: 18, padding: [30, 30] });
}

/* Markers created outside the visible map join it once they are in view. */
function OnMoveEnd()
{
	for (var i = 1; i < e_aMarkers.length; i++)
		if (!e_aMarkers[i].onMap && InView(e_aMarkers[i].lat, e_aMarkers[i].lng))
			ShowOnMap(e_aMarkers[i]);
	OnLayersMoved();
}

/* ---- The program's entry point ---- */

function PutGoogleMaps(iPutCmd, iMarker, szName, szLng, szLat, bDestItn)
{
	if (!e_jMap)
		return 0;
	if (e_jHover)
	{
		e_jHover = null;
		RefreshImages();
	}
	iPutCmd = Number(iPutCmd);
	if (iPutCmd == 0 && Number(iMarker) > 0)
		return SyncMarker(Number(iMarker), String(szName), String(szLng), String(szLat), bDestItn);
	if (iPutCmd >= 18)
	{
		var iFound = FlushFrom(iPutCmd - 17);
		if (iFound)
			return iFound;
	}
	else if (iPutCmd == 0)
		RemoveFrom(-Number(iMarker));
	else if (iPutCmd == 1)
		SelectMarker(Number(iMarker));
	else if (iPutCmd == 3)
	{
		CloseInfo();
		Queue("<\t2");
	}
	else if (iPutCmd >= 4 && iPutCmd <= 17)
		SetOption(iPutCmd);
	HideMenu();
	return 0;
}

function SameText(szCoord, f)
{
	return (szCoord == c_szMinusZero ? c_szZero : szCoord) == Fmt5(f);
}

function SyncMarker(k, szName, szLng, szLat, bDest)
{
	CloseInfo();
	var iFound = -1;
	for (var j = k; j < e_aMarkers.length; j++)
	{
		var jRec = e_aMarkers[j];
		if (jRec.title == szName && SameText(szLng, jRec.cLng) && SameText(szLat, jRec.cLat))
		{
			iFound = j;
			break;
		}
	}
	if (iFound >= 0)
	{
		jRec = e_aMarkers[iFound];
		jRec.dest = !!Number(bDest);
		if (iFound != k)
		{
			e_aMarkers.splice(iFound, 1);
			e_aMarkers.splice(k, 0, jRec);
		}
	}
	else
	{
		jRec = CreateRecord(szName, parseFloat(szLat), parseFloat(szLng), !!Number(bDest), false);
		e_aMarkers.splice(Math.min(k, e_aMarkers.length), 0, jRec);
		if (InView(jRec.lat, jRec.lng))
			ShowOnMap(jRec);
	}
	RefreshImages();
	return 0;
}

function RemoveFrom(iFrom)
{
	if (iFrom < 1)
		iFrom = 1;
	while (e_aMarkers.length > iFrom)
	{
		var jRec = e_aMarkers.pop();
		if (jRec === e_jInfoMarker)
			CloseInfo();
		if (jRec === e_jActive)
			e_jActive = null;
		DropLine(jRec);
		HideFromMap(jRec);
	}
	DropStaleLines();
	RefreshImages();
	AskRoutes();
}

function SelectMarker(m)
{
	if (m < 1 || m > MarkerCount())
	{
		CloseInfo();
		return;
	}
	var jRec = e_aMarkers[m];
	e_jActive = jRec;
	ShowOnMap(jRec);
	if (!InView(jRec.lat, jRec.lng))
		e_jMap.panTo([jRec.lat, jRec.lng]);
	OpenInfo(jRec);
}

function FlushFrom(iFrom)
{
	for (var i = Math.max(iFrom, 1); i < e_aMarkers.length; i++)
		if (e_aMarkers[i].changed)
		{
			CloseInfo();
			UpdateMarker(e_aMarkers[i]);
			return i;
		}
	return 0;
}

function SetOption(iCmd)
{
	var bOn = iCmd % 2 == 0;
	if (iCmd <= 5)
		e_bLngFirst = bOn;
	else if (iCmd <= 7)
		e_bDmsFormat = bOn;
	else if (iCmd <= 9)
		e_bCompassDir = bOn;
	else if (iCmd <= 11)
		e_bMetricUnit = bOn;
	else if (iCmd <= 13)
		e_bUseCookie = bOn;
	else if (iCmd <= 15)
		e_bUpdateName = bOn;
	else
		e_bFlashRoute = bOn;
	if (iCmd <= 11)
	{
		RedrawGraticule();
		UpdateTotals(false);
		if (e_jInfoMarker)
			OpenInfo(e_jInfoMarker);
	}
}

/* ---- The information window ---- */

function CoordHtml(jRec, bLng, bEditable)
{
	var f = bLng ? jRec.lng : jRec.lat;
	var szShown = FormatCoord(f, bLng, e_bDmsFormat, e_bCompassDir);
	var szOther = FormatCoord(f, bLng, !e_bDmsFormat, e_bCompassDir);
	var szClick = bEditable ? " class=\"InfoEdit\" onclick=\"return OnEditCell(event, " + (bLng ? 1 : 2) + ")\"" : "";
	return "<span title=\"" + EscHtml(szOther) + "\"" + szClick + ">" + EscHtml(szShown) + "</span>";
}

function LinkHtml(szFunction, szText)
{
	return "<a href=\"javascript:" + szFunction + "()\">" + szText + "</a>";
}

function InfoHtml(jRec)
{
	var i = IndexOf(jRec);
	var bItinerary = i > 0;
	var szName = jRec.isNew || jRec.changed ? jRec.proposed : jRec.title;
	var aRows = [];
	aRows.push("<tr><td class=\"InfoLabel\">名稱:</td><td>" + (bItinerary ?
		"<span class=\"InfoEdit\" onclick=\"return OnEditCell(event, 0)\">" + EscHtml(szName) + "</span>" :
		EscHtml(szName)) + "</td></tr>");
	var szLng = CoordHtml(jRec, true, bItinerary);
	var szLat = CoordHtml(jRec, false, bItinerary);
	aRows.push("<tr><td class=\"InfoLabel\">座標:</td><td>" +
		(e_bLngFirst ? szLng + c_szCoordSep + szLat : szLat + c_szCoordSep + szLng) + "</td></tr>");
	var bLine = bItinerary && jRec.route && jRec.route.line;
	if (bLine)
	{
		var szTo = i == MarkerCount() ? c_szNewPlaceName : "行程" + (i + 1);
		aRows.push("<tr><td class=\"InfoLabel\">距離:</td><td>" +
			EscHtml(DistanceText(jRec.route.distance, e_bMetricUnit, true)) + " (到" + szTo + ")</td></tr>");
		aRows.push("<tr><td class=\"InfoLabel\">時間:</td><td>" + EscHtml(TimeText(jRec.route.duration, true)) + "</td></tr>");
	}
	var aLinks = [];
	if (bItinerary)
	{
		if (MarkerCount() >= 2)
		{
			aLinks.push(LinkHtml("OnShowPrev", "往前"));
			aLinks.push(LinkHtml("OnShowNext", "往後"));
		}
		if (jRec.changed)
		{
			aLinks.push(LinkHtml("OnUpdate", "更新"));
			aLinks.push(LinkHtml("OnUndo", "復原"));
		}
		aLinks.push(LinkHtml("OnDelete", "刪除"));
	}
	else
	{
		aLinks.push(LinkHtml("OnAdd", "新增"));
		aLinks.push(LinkHtml("OnInsert", "插入"));
		aLinks.push(LinkHtml("OnRemove", "移除"));
	}
	if (bLine)
		aLinks.push(LinkHtml("OnShowSection", "路段"));
	aLinks.push(LinkHtml("OnClose", "關閉"));
	return "<div id=\"InfoWnd\"><div class=\"InfoCaption\"><img src=\"" + EscHtml(e_szMarkerImgUrl) +
		"Pushpin.png\" width=\"12\" height=\"16\" alt=\"\" /> 行程資訊</div><table class=\"InfoRows\">" +
		aRows.join("") + "</table><div class=\"InfoLinks\">" +
		aLinks.join("<span class=\"InfoBar\"> | </span>") + "</div></div>";
}

function OpenInfo(jRec)
{
	if (IndexOf(jRec) < 0)
		return;
	var iMaxWidth = e_jMap.getSize().x < 1000 ? 360 : 600;
	if (!e_jInfo || e_jInfo.options.maxWidth != iMaxWidth)
	{
		if (e_jInfo && e_jMap.hasLayer(e_jInfo))
			e_jMap.closePopup(e_jInfo);
		e_jInfo = L.popup({ closeButton: false, autoClose: false, closeOnClick: false, maxWidth: iMaxWidth,
			offset: [0, -30], autoPanPadding: [20, 20] });
	}
	e_jInfoMarker = jRec;
	e_jInfo.setLatLng([jRec.lat, jRec.lng]).setContent(InfoHtml(jRec));
	if (!e_jMap.hasLayer(e_jInfo))
		e_jInfo.openOn(e_jMap);
	RefreshImages();
	StartFlash();
}

function CloseInfo()
{
	if (e_jInfo && e_jMap.hasLayer(e_jInfo))
		e_jMap.closePopup(e_jInfo);
	if (e_jInfoMarker)
	{
		e_jInfoMarker = null;
		StopFlash();
		RefreshImages();
	}
}

function InfoText()
{
	if (!e_jInfo || !e_jMap.hasLayer(e_jInfo))
		return "";
	var jContent = e_jInfo.getElement();
	return jContent ? (jContent.textContent || jContent.innerText || "") : "";
}

/* ---- Clicks, the new-place marker and dragging ---- */

function SelectMessage(jRec)
{
	return "<\t3\t" + Field(jRec.title) + "\t" + Fmt5(jRec.cLng) + "\t" + Fmt5(jRec.cLat);
}

function OnMarkerClick(jRec, e)
{
	HideMenu();
	e_jActive = jRec;
	if (!jRec.isNew)
		Queue(SelectMessage(jRec));
	OpenInfo(jRec);
}

function OnMapClick(jLatLng, bRoadLock)
{
	HideMenu();
	PlaceNewMarker(jLatLng.lat, jLatLng.lng, bRoadLock);
}

function PlaceNewMarker(fLat, fLng, bRoadLock)
{
	var jNew = e_aMarkers[0];
	CloseInfo();
	MoveRecord(jNew, fLat, fLng);
	jNew.proposed = NewPlaceName(new Date());
	ShowOnMap(jNew);
	e_jActive = jNew;
	AfterMove(jNew, bRoadLock, function ()
	{
		var szBase = jNew.proposed;
		LookupAddressFor(jNew, function (szAddress)
		{
			jNew.proposed = ProposedName(szBase, szAddress);
			OpenInfo(jNew);
		});
	});
}

/* Road lock, or the neighbouring route lines dropped and asked for again. */
function AfterMove(jRec, bRoadLock, fnThen)
{
	if (bRoadLock)
		SnapToRoad(jRec, fnThen);
	else
	{
		DropLinesNextTo(jRec);
		AskRoutes();
		fnThen();
	}
}

/* Looks up the address of the marker's position; a reply for a position it has left is dropped. */
function LookupAddressFor(jRec, fnDone)
{
	var iSerial = ++e_iLookupSerial;
	jRec.lookup = iSerial;
	var fLat = jRec.lat, fLng = jRec.lng;
	LookupAddress(fLat, fLng, function (szAddress)
	{
		if (jRec.lookup == iSerial && SamePos(jRec.lat, jRec.lng, fLat, fLng) && IndexOf(jRec) >= 0)
			fnDone(szAddress);
	});
}

function OnDragStart(jRec)
{
	HideMenu();
	if (!e_jCrosshair)
		e_jCrosshair = L.marker([jRec.lat, jRec.lng], { icon: L.icon({ iconUrl: e_szMarkerImgUrl + "Crosshair.png",
			iconSize: [24, 24], iconAnchor: [12, 12] }), interactive: false, keyboard: false });
	e_jCrosshair.setLatLng(jRec.lm.getLatLng()).addTo(e_jMap);
}

function OnDrag(jRec, e)
{
	var jPos = jRec.lm.getLatLng();
	e_bCtrlDrag = !!(e.originalEvent && e.originalEvent.ctrlKey);
	if (e_jCrosshair)
		e_jCrosshair.setLatLng(jPos);
	ShowPosition(jPos);
	if (e_bRouteOn)
	{
		clearTimeout(e_iDragTimer);
		e_iDragTimer = setTimeout(function () { DropLinesNextTo(jRec); UpdateTotals(true); }, 250);
	}
}

function OnDragEnd(jRec)
{
	clearTimeout(e_iDragTimer);
	if (e_jCrosshair)
		e_jMap.removeLayer(e_jCrosshair);
	var jPos = jRec.lm.getLatLng();
	var bRoadLock = e_bCtrlDrag;
	e_bCtrlDrag = false;
	if (jRec.isNew)
	{
		PlaceNewMarker(jPos.lat, jPos.lng, bRoadLock);
		return;
	}
	CloseInfo();
	jRec.lat = jPos.lat;
	jRec.lng = jPos.lng;
	jRec.changed = true;
	jRec.sv = null;
	e_jActive = jRec;
	Queue(SelectMessage(jRec));
	RefreshImages();
	AfterMove(jRec, bRoadLock, function ()
	{
		LookupAddressFor(jRec, function (szAddress)
		{
			jRec.proposed = ProposedName(jRec.title, szAddress);
			OpenInfo(jRec);
		});
	});
}

/* ---- Actions of the information window's links ---- */

function UpdateMarker(jRec)
{
	var szNewName = e_bUpdateName ? jRec.proposed : jRec.title;
	Queue("<\t2\t" + Field(jRec.title) + "\t" + Fmt5(jRec.cLng) + "\t" + Fmt5(jRec.cLat) + "\t" +
		Field(szNewName) + "\t" + Fmt5(jRec.lng) + "\t" + Fmt5(jRec.lat));
	jRec.title = szNewName;
	jRec.proposed = szNewName;
	jRec.cLat = jRec.lat;
	jRec.cLng = jRec.lng;
	jRec.changed = false;
	RefreshImages();
}

function ActiveItinerary()
{
	return e_jActive && !e_jActive.isNew && IndexOf(e_jActive) > 0 ? e_jActive : null;
}

function OnUpdate()
{
	var jRec = ActiveItinerary();
	if (jRec && jRec.changed)
	{
		UpdateMarker(jRec);
		if (e_jInfoMarker === jRec)
			OpenInfo(jRec);
	}
}

function OnUndo()
{
	var jRec = ActiveItinerary();
	if (!jRec)
		return;
	DropLinesNextTo(jRec);
	jRec.sv = null;
	jRec.changed = false;
	MoveRecord(jRec, jRec.cLat, jRec.cLng);
	e_jMap.panTo([jRec.lat, jRec.lng]);
	OpenInfo(jRec);
	AskRoutes();
}

function OnDelete()
{
	var jRec = ActiveItinerary();
	if (!jRec)
		return;
	Queue("<\t4\t" + Field(jRec.title) + "\t" + Fmt5(jRec.cLng) + "\t" + Fmt5(jRec.cLat));
	CloseInfo();
	var i = IndexOf(jRec);
	DropLine(jRec);
	if (i > 1)
		DropLine(e_aMarkers[i - 1]);
	HideFromMap(jRec);
	e_aMarkers.splice(i, 1);
	e_jActive = null;
	RefreshImages();
	AskRoutes();
}

function AddFromNewPlace(szOp)
{
	var jNew = e_aMarkers[0];
	if (!jNew.onMap)
		return;
	Queue("<\t" + szOp + "\t" + Field(jNew.proposed) + "\t" + Fmt5(jNew.lng) + "\t" + Fmt5(jNew.lat));
	CloseInfo();
	DropLinesNextTo(jNew);
	var jRec = CreateRecord(jNew.proposed, jNew.lat, jNew.lng, true, false);
	jRec.sv = jNew.sv;
	e_aMarkers.push(jRec);
	ShowOnMap(jRec);
	HideFromMap(jNew);
	e_jActive = null;
	RefreshImages();
	AskRoutes();
}

function OnAdd()
{
	AddFromNewPlace("0");
}

function OnInsert()
{
	AddFromNewPlace("1");
}

function OnRemove()
{
	var jNew = e_aMarkers[0];
	CloseInfo();
	DropLinesNextTo(jNew);
	HideFromMap(jNew);
	AskRoutes();
}

function ShowNeighbour(iStep)
{
	var jRec = ActiveItinerary();
	var K = MarkerCount();
	if (!jRec || K < 1)
		return;
	var i = IndexOf(jRec) + iStep;
	SelectMarker(i < 1 ? K : i > K ? 1 : i);
}

function OnShowPrev()
{
	ShowNeighbour(-1);
}

function OnShowNext()
{
	ShowNeighbour(1);
}

function OnShowSection()
{
	var jRec = ActiveItinerary();
	var jNext = jRec ? NextPosition(IndexOf(jRec)) : null;
	if (!jNext)
		return;
	var jBounds = L.latLngBounds([[jRec.lat, jRec.lng], [jNext.lat, jNext.lng]]);
	var iZoom = Math.max(e_jMap.getMinZoom(), Math.min(e_jMap.getMaxZoom(), e_jMap.getBoundsZoom(jBounds) - 1));
	e_jMap.setView(jBounds.getCenter(), iZoom);
}

function OnClose()
{
	CloseInfo();
}

function HasTextSelection()
{
	if (window.getSelection)
		return String(window.getSelection()) != "";
	return !!(document.selection && document.selection.type == "Text");
}

/* A click on the name or a coordinate asks the program to edit that cell, once the user has
   finished selecting text (at most a second). */
function OnEditCell(e, iColumn)
{
	e = e || window.event;
	var jRec = ActiveItinerary();
	if (!jRec || (e && e.ctrlKey))
		return false;
	var iWaited = 0;
	function Send()
	{
		if (HasTextSelection() && iWaited < 1000)
		{
			iWaited += 100;
			setTimeout(Send, 100);
			return;
		}
		Queue("<\t5\t" + Field(jRec.title) + "\t" + Fmt5(jRec.cLng) + "\t" + Fmt5(jRec.cLat) + "\t" + iColumn);
	}
	Send();
	return false;
}

/* A JSON snapshot of the page for the tests. */
function WlmTestState()
{
	var aMarkers = [];
	for (var i = 1; i < e_aMarkers.length; i++)
	{
		var jRec = e_aMarkers[i];
		aMarkers.push({ index: i, title: jRec.title, lat: Fmt5(jRec.lat), lng: Fmt5(jRec.lng), dest: jRec.dest,
			image: jRec.image, onMap: jRec.onMap, changed: jRec.changed, proposed: jRec.proposed });
	}
	var jNew = e_aMarkers[0] || { onMap: false, lat: 0, lng: 0, proposed: "" };
	var iLines = 0;
	for (i = 1; i < e_aMarkers.length; i++)
		if (e_aMarkers[i].route && e_aMarkers[i].route.line)
			iLines++;
	return JSON.stringify({ ready: e_bReady, markers: aMarkers,
		newPlace: { shown: jNew.onMap, lat: Fmt5(jNew.lat), lng: Fmt5(jNew.lng), proposed: jNew.proposed },
		info: { open: !!e_jInfoMarker, marker: e_jInfoMarker ? IndexOf(e_jInfoMarker) : -1, text: InfoText() },
		route: { lines: iLines, totalText: TotalText() }, pending: e_szPending });
}
