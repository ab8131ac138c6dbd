<!-- default row 35: written with its page kind -->
