<!-- default row 49: written with its page kind -->
